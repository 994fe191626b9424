// The install data: what the distribution and the install record say, the
// install mode, and which metadata providers an IDE starts with.
#include "TestDistribution.h"
#include "installer/InstallData.h"
#include "installer/MetadataProviders.h"
#include "installer/platform/SetupError.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const QString Record = QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder");

QStringList SelectedShortNames(const TTargetOptions &options)
{
    QStringList names;
    for (const TMetadataProvider *provider : options.Providers())
        names += provider->ShortName();
    return names;
}

} // namespace

TEST(InstallData, TheVersionFileAndTheRecordGiveTheMode)
{
    TTestMachine machine;
    TTestDistribution distribution(machine, false, false);

    // No record: a new installation into the default folder.
    {
        TInstallData data(distribution.Folder());
        EXPECT_EQ(data.Mode, imNewInstallation);
        EXPECT_FALSE(data.InstalledBefore());
        EXPECT_EQ(data.Version().Text(), QStringLiteral("1.3.0"));
        EXPECT_EQ(data.InstallDir, machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder")));
        EXPECT_EQ(data.StartMenuFolder(),
                  machine.Path(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition")));
    }
    // Another version recorded: an update in the recorded folder.
    machine.SetString(HKLM, Record, QStringLiteral("InstallDir"), machine.Path(QStringLiteral("NQB/")));
    machine.SetString(HKLM, Record, QStringLiteral("InstalledVersion"), QStringLiteral(" 1.2.0 "));
    {
        TInstallData data(distribution.Folder());
        EXPECT_EQ(data.Mode, imUpdate);
        EXPECT_EQ(data.InstalledVersion().Text(), QStringLiteral("1.2.0"));
        EXPECT_EQ(data.InstallDir, machine.Path(QStringLiteral("NQB")));
    }
    // The same version: maintenance.
    machine.SetString(HKLM, Record, QStringLiteral("InstalledVersion"), QStringLiteral("1.3.0"));
    EXPECT_EQ(TInstallData(distribution.Folder()).Mode, imMaintenance);
    // An empty recorded version counts as no installation, and so does its folder.
    machine.SetString(HKLM, Record, QStringLiteral("InstalledVersion"), QString());
    {
        TInstallData data(distribution.Folder());
        EXPECT_EQ(data.Mode, imNewInstallation);
        EXPECT_EQ(data.InstallDir, machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder")));
    }

    machine.WriteFile(distribution.Folder() + QLatin1String("/version"), " \r\n");
    EXPECT_THROW(TInstallData(distribution.Folder()), ESetupError);
    QFile::remove(distribution.Folder() + QLatin1String("/version"));
    try {
        TInstallData data(distribution.Folder());
        FAIL() << "no error without a version file";
    } catch (const ESetupError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("File not exists:\"version\". Invalid installer package."));
    }
}

TEST(InstallData, AnIDEStartsWithTheProvidersOfItsComponentSets)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    const QString known = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Known Packages");
    machine.SetString(TRootKey::HKEY_CURRENT_USER, known, QStringLiteral("/zeos/ZComponentDesign.bpl"), QString());
    machine.SetString(TRootKey::HKEY_CURRENT_USER, known, QStringLiteral("/ads/ADSD70D.BPL"), QString());

    // Without provider packages in the distribution no provider is chosen,
    // not even the core ones whose component sets the IDE has.
    {
        TTestDistribution distribution(machine, false, false);
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.TargetOptions().Count(), 1);
        EXPECT_TRUE(data.TargetOptions().Items(0)->Providers().empty());
    }
    TTestDistribution distribution(machine, false, true);
    TInstallData data(distribution.Folder());
    const TTargetOptions &d7 = *data.TargetOptions().Items(0);
    EXPECT_EQ(SelectedShortNames(d7),
              (QStringList{QStringLiteral("ADO"), QStringLiteral("Zeos"), QStringLiteral("Advantage")}));
    for (const TMetadataProvider *provider : d7.Providers())
        EXPECT_TRUE(d7.IsProviderAvailable(provider)) << provider->ShortName().toStdString();
    EXPECT_EQ(data.MetadataProviders().Count(), 22);

    // A record keeps the core providers the IDE has and the other ones it chose.
    const QString ideRecord = Record + QLatin1String("\\Delphi 7.0 (Enterprise)");
    machine.SetDword(HKLM, ideRecord, QStringLiteral("Installed"), 1);
    machine.SetDword(HKLM, ideRecord, QStringLiteral("ZEOS Connectivity"), 1);
    machine.SetDword(HKLM, ideRecord, QStringLiteral("Advantage DB Connectivity"), 0);
    TInstallData recorded(distribution.Folder());
    EXPECT_TRUE(recorded.TargetOptions().Items(0)->Installed);
    EXPECT_EQ(SelectedShortNames(*recorded.TargetOptions().Items(0)),
              (QStringList{QStringLiteral("ADO"), QStringLiteral("Zeos")}));
}
