#include "installer/MetadataProviders.h"
#include "installer/CompileTarget.h"

namespace nvqb {

TADOMetadataProvider::TADOMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, true, QStringLiteral("ADO"),
                        QStringLiteral("ADO Connectivity"),
                        QStringLiteral("Norvane Query Builder Component ADO Connectivity"),
                        QStringLiteral("dclado"))
{
}

TBDEMetadataProvider::TBDEMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, true, QStringLiteral("BDE"),
                        QStringLiteral("BDE Connectivity"),
                        QStringLiteral("Norvane Query Builder Component BDE Connectivity"),
                        QStringLiteral("dclbde"))
{
}

TIBExMetadataProvider::TIBExMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, true, QStringLiteral("IBEx"),
                        QStringLiteral("IBEx Connectivity"),
                        QStringLiteral("Norvane Query Builder Component IBExpress Connectivity"),
                        QStringLiteral("dclib"))
{
}

TDbExMetadataProvider::TDbExMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, true, QStringLiteral("DbEx"),
                        QStringLiteral("DbEx Connectivity"),
                        QStringLiteral("Norvane Query Builder Component dbExpress Connectivity"),
                        QStringLiteral("dcldbx"))
{
}

TZeosMetadataProvider::TZeosMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("Zeos"),
                        QStringLiteral("ZEOS Connectivity"),
                        QStringLiteral("Norvane Query Builder Component ZEOS Connectivity"),
                        QStringLiteral("zcomponent"))
{
}

TCrMyDACMetadataProvider::TCrMyDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("CrMyDAC"),
                        QStringLiteral("CoreLab MyDAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component CoreLab MyDAC Connectivity"),
                        QStringLiteral("dclmydac"))
{
}

TCrODACMetadataProvider::TCrODACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("CrODAC"),
                        QStringLiteral("CoreLab ODAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component CoreLab Oracle DAC Connectivity"),
                        QStringLiteral("dclodac"))
{
}

TCrSDACMetadataProvider::TCrSDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("CrSDAC"),
                        QStringLiteral("CoreLab SDAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component CoreLab SDAC Connectivity"),
                        QStringLiteral("dclsdac"))
{
}

TFIBPlusMetadataProvider::TFIBPlusMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("FIBPlus"),
                        QStringLiteral("FIBPlus Connectivity"),
                        QStringLiteral("Norvane Query Builder Component FIBPlus Connectivity"),
                        QStringLiteral("FIBPlus"))
{
}

TDOAMetadataProvider::TDOAMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("DOA"),
                        QStringLiteral("DOA Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Allround Automations DOA Connectivity"),
                        QStringLiteral("doa"))
{
}

TAccuracerMetadataProvider::TAccuracerMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("Accuracer"),
                        QStringLiteral("AidAim Accuracer Connectivity"),
                        QStringLiteral("Norvane Query Builder Component AidAim Accuracer Connectivity"),
                        QStringLiteral("dclAccuracerd"))
{
}

TEasyTableMetadataProvider::TEasyTableMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("EasyTable"),
                        QStringLiteral("AidAim EasyTable Connectivity"),
                        QStringLiteral("Norvane Query Builder Component AidAim EasyTable Connectivity"),
                        QStringLiteral("dclEasyTabled"))
{
}

TIDACMetadataProvider::TIDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("IDAC"),
                        QStringLiteral("Luxena Informix DAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Luxena Informix DAC Connectivity"),
                        QStringLiteral("dclidac"))
{
}

TMoMYDACMetadataProvider::TMoMYDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("MoMyDAC"),
                        QStringLiteral("Microolap MySQL DAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Microolap MySQL DAC Connectivity"),
                        QStringLiteral("mysqldac"))
{
}

TMoPgDACMetadataProvider::TMoPgDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("MoPgDAC"),
                        QStringLiteral("Microolap PostgreSQL DAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Microolap PostgreSQL DAC Connectivity"),
                        QStringLiteral("PostgresDAC"))
{
}

TMoMSDACMetadataProvider::TMoMSDACMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("MoMSDAC"),
                        QStringLiteral("Microolap MSADODAC Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Microolap MSADODAC Connectivity"),
                        QStringLiteral("MSADODAC"))
{
}

TSQLDirectMetadataProvider::TSQLDirectMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("SD"),
                        QStringLiteral("SQLDirect Connectivity"),
                        QStringLiteral("Norvane Query Builder Component SQLDirect Connectivity"),
                        QStringLiteral("DclSQL"))
{
}

TDBISAMMetadataProvider::TDBISAMMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("DBISAM"),
                        QStringLiteral("DBISAM Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Elevate Software DBISAM Connectivity"),
                        QStringLiteral("dbisam"))
{
}

TIBOMetadataProvider::TIBOMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("IBO"),
                        QStringLiteral("IBObjects Connectivity"),
                        QStringLiteral("Norvane Query Builder Component IBObjects Connectivity"),
                        QStringLiteral("ibo"))
{
}

TAdvantageMetadataProvider::TAdvantageMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("Advantage"),
                        QStringLiteral("Advantage DB Connectivity"),
                        QStringLiteral("Norvane Query Builder Component Advantage DB Connectivity"),
                        QString())
{
}

QString TAdvantageMetadataProvider::ProbeName(const TCompileTarget &ide) const
{
    return QLatin1String("adsD") + QString::number(ide.DisplayVersionNumber()) + QLatin1String("0d.bpl");
}

TNexusDBMetadataProvider::TNexusDBMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("NexusDB"),
                        QStringLiteral("NexusDB Connectivity"),
                        QStringLiteral("Norvane Query Builder Component NexusDB Connectivity"),
                        QStringLiteral("NexusDB"))
{
}

TAbsoluteDBMetadataProvider::TAbsoluteDBMetadataProvider(TInstallData *installData)
    : TMetadataProvider(installData, false, QStringLiteral("AbsoluteDB"),
                        QStringLiteral("AbsoluteDB Connectivity"),
                        QStringLiteral("Norvane Query Builder Component AbsoluteDB Connectivity"),
                        QStringLiteral("dclAbsDB"))
{
}

void RegisterMetadataProviders(TMetadataProvidersList &list, TInstallData *installData)
{
    list.Add(std::make_unique<TADOMetadataProvider>(installData));
    list.Add(std::make_unique<TBDEMetadataProvider>(installData));
    list.Add(std::make_unique<TIBExMetadataProvider>(installData));
    list.Add(std::make_unique<TDbExMetadataProvider>(installData));
    list.Add(std::make_unique<TZeosMetadataProvider>(installData));
    list.Add(std::make_unique<TCrMyDACMetadataProvider>(installData));
    list.Add(std::make_unique<TCrODACMetadataProvider>(installData));
    list.Add(std::make_unique<TCrSDACMetadataProvider>(installData));
    list.Add(std::make_unique<TFIBPlusMetadataProvider>(installData));
    list.Add(std::make_unique<TDOAMetadataProvider>(installData));
    list.Add(std::make_unique<TAccuracerMetadataProvider>(installData));
    list.Add(std::make_unique<TEasyTableMetadataProvider>(installData));
    list.Add(std::make_unique<TIDACMetadataProvider>(installData));
    list.Add(std::make_unique<TMoMYDACMetadataProvider>(installData));
    list.Add(std::make_unique<TMoPgDACMetadataProvider>(installData));
    list.Add(std::make_unique<TMoMSDACMetadataProvider>(installData));
    list.Add(std::make_unique<TSQLDirectMetadataProvider>(installData));
    list.Add(std::make_unique<TDBISAMMetadataProvider>(installData));
    list.Add(std::make_unique<TIBOMetadataProvider>(installData));
    list.Add(std::make_unique<TAdvantageMetadataProvider>(installData));
    list.Add(std::make_unique<TNexusDBMetadataProvider>(installData));
    list.Add(std::make_unique<TAbsoluteDBMetadataProvider>(installData));
}

} // namespace nvqb
