#pragma once
// A metadata-provider descriptor: one data-access component set for which the
// distribution has a provider package pair (run-time "NvQueryBuilder" + short
// name, design "NvQueryBuilderDsgn" + short name).
#include <QString>

namespace nvqb {

class TCompileTarget;
class TInstallData;

class TMetadataProvider {
public:
    TMetadataProvider(TInstallData *installData, bool core, QString shortName, QString caption,
                      QString description, QString probeName);
    virtual ~TMetadataProvider();
    TMetadataProvider(const TMetadataProvider &) = delete;
    TMetadataProvider &operator=(const TMetadataProvider &) = delete;

    TInstallData *InstallData() const { return FInstallData; }
    // Core providers work with the class library's own component sets and
    // are shipped built; the others are compiled on the machine.
    bool Core() const { return FCore; }
    const QString &ShortName() const { return FShortName; }
    // The provider's name in the per-IDE record.
    const QString &Caption() const { return FCaption; }
    // The provider's name in the log, on the pages and in Known Packages.
    const QString &Description() const { return FDescription; }

    QString RuntimePackageBase() const { return QStringLiteral("NvQueryBuilder") + FShortName; }
    QString DesignPackageBase() const { return QStringLiteral("NvQueryBuilderDsgn") + FShortName; }

    // The IDE has the component set: its Known IDE Packages or Known
    // Packages hold a package whose file name equals or begins with the
    // probe name, without regard to case.
    virtual bool IsAvailable(const TCompileTarget &ide) const;

protected:
    virtual QString ProbeName(const TCompileTarget &ide) const;

private:
    TInstallData *FInstallData;
    bool FCore;
    QString FShortName;
    QString FCaption;
    QString FDescription;
    QString FProbeName;
};

} // namespace nvqb
