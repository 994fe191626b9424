#include "installer/platform/ResourceModule.h"

#include <QFile>
#include <QFileInfo>

namespace nvqb {

std::unique_ptr<TResourceModule> TResourceModule::Load(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return nullptr;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    auto module = std::make_unique<TResourceModule>();
    for (const QByteArray &raw : file.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        bool ok = false;
        const int id = eq > 0 ? line.left(eq).trimmed().toInt(&ok) : 0;
        if (ok)
            module->FStrings.insert(id, line.mid(eq + 1));
    }
    return module;
}

} // namespace nvqb
