#include "installer/MetadataProvider.h"
#include "installer/CompileTarget.h"

namespace nvqb {

TMetadataProvider::TMetadataProvider(TInstallData *installData, bool core, QString shortName, QString caption,
                                     QString description, QString probeName)
    : FInstallData(installData), FCore(core), FShortName(std::move(shortName)), FCaption(std::move(caption)),
      FDescription(std::move(description)), FProbeName(std::move(probeName))
{
}

TMetadataProvider::~TMetadataProvider() = default;

bool TMetadataProvider::IsAvailable(const TCompileTarget &ide) const
{
    const QString probe = ProbeName(ide);
    return !probe.isEmpty() && ide.FindPackageByPrefix(probe) != nullptr;
}

QString TMetadataProvider::ProbeName(const TCompileTarget &) const
{
    return FProbeName;
}

} // namespace nvqb
