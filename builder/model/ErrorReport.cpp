#include "builder/model/ErrorReport.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"

#include <QtDebug>
#include <exception>

namespace nvqb {

namespace {
// A plain pointer made on first use: the handler lives as long as the process.
TnvErrorHandler &Handler()
{
    static TnvErrorHandler *handler = new TnvErrorHandler;
    return *handler;
}

TnvErrorHandler &DefaultHandler()
{
    static TnvErrorHandler *handler = new TnvErrorHandler;
    return *handler;
}
} // namespace

TnvErrorHandler SetErrorHandler(TnvErrorHandler handler)
{
    TnvErrorHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

void SetDefaultErrorHandler(TnvErrorHandler handler)
{
    DefaultHandler() = std::move(handler);
}

void nvQBShowError(const QString &message)
{
    try {
        if (Handler()) {
            Handler()(message);
            return;
        }
        if (DefaultHandler()) {
            DefaultHandler()(message);
            return;
        }
    } catch (...) {
        // A failing handler must not take the host down; the log still gets it.
    }
    qWarning().noquote() << message;
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &e) {
        return e.Message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return nvQBMessage(nvQBErrorUnknownError);
    }
}

} // namespace nvqb
