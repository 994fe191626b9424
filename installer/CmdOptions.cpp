#include "installer/CmdOptions.h"
#include "installer/platform/Machine.h"

#include <QTextStream>

namespace nvqb {

TCmdOptions::TCmdOptions(const QStringList &parameters)
{
    AddItems();
    for (const QString &parameter : parameters)
        for (const auto &item : FItems)
            if (item->Read(parameter))
                break;
}

TCmdOptions::~TCmdOptions() = default;

void TCmdOptions::AddItems()
{
    const auto flag = [this](const char *name, const char *description, bool &value) {
        FItems.push_back(std::make_unique<TBoolItem>(QLatin1String(name), QLatin1String(description), value));
    };
    const auto text = [this](const char *name, const char *description, QString &value) {
        FItems.push_back(std::make_unique<TStringItem>(QLatin1String(name), QLatin1String(description), value));
    };
    const auto separator = [this] { FItems.push_back(std::make_unique<TItem>()); };

    flag("--ignore-ide", "Start installer even if Delphi/BCB is running.", IgnoreIDE);
    flag("--ignore-bcb", "Do not display and compile BCB versions.", IgnoreBCB);
    flag("--ignore-delphi", "Do not display and compile Delphi versions.", IgnoreDelphi);
    separator();
    FItems.push_back(std::make_unique<TDirItem>(QStringLiteral("--jcl-path="),
                                                QStringLiteral("Set the JCL root directory to X."), JclPath));
    flag("--keep-files", "Do not call \"clean\".", KeepFiles);
    flag("--autoupdate", "Updates all IDEs where JVCL 3 is installed.", AutoUpdate);
    separator();
    text("-rDelphi=", "Sets the Registry path for the Delphi IDEs.", DelphiRegistryPath);
    text("-rBCB=", "Sets the Registry path for the BCB IDEs.", BCBRegistryPath);
    text("-rBDS=", "Sets the Registry path for the BDS IDEs. (-rBDS=Win32Only)", BDSRegistryPath);
    text("--lang=", "Sets the Installer's language to X.", Language);
    flag("--help", "Show this screen.", Help);
    flag("/?", "", Help);
    flag("-h", "", Help);
}

QString TCmdOptions::HelpText() const
{
    QString text = QStringLiteral("\n");
    for (const auto &item : FItems) {
        if (item->IsSeparator())
            text += QLatin1Char('\n');
        else if (!item->Description().isEmpty())
            text += item->HelpName().leftJustified(20) + QLatin1String("  ") + item->Description() + QLatin1Char('\n');
    }
    text += QLatin1Char('\n');
    text += QStringLiteral("The machine folder (registry, Program Files, System32, Start menu, documents)\n"
                           "is the folder named by the environment variable %1.\n")
                .arg(QLatin1String(MachineVariable));
    return text;
}

namespace {

QStringList &Parameters()
{
    static QStringList parameters;
    return parameters;
}

std::unique_ptr<TCmdOptions> &GlobalOptions()
{
    static std::unique_ptr<TCmdOptions> options;
    return options;
}

} // namespace

void InitCmdOptions(int argc, char **argv)
{
    QStringList parameters;
    for (int k = 1; k < argc; ++k)
        parameters += QString::fromLocal8Bit(argv[k]);
    Parameters() = parameters;
    GlobalOptions() = std::make_unique<TCmdOptions>(parameters);
}

const QStringList &ProgramParameters()
{
    return Parameters();
}

TCmdOptions &CmdOptions()
{
    if (!GlobalOptions())
        GlobalOptions() = std::make_unique<TCmdOptions>(Parameters());
    return *GlobalOptions();
}

int ShowHelpAndWait(const TCmdOptions &options, QTextStream &out, QTextStream &in)
{
    out << options.HelpText();
    out.flush();
    in.readLine();
    return 1;
}

} // namespace nvqb
