#include "installer/BDSVersions.h"

namespace nvqb {

namespace {

constexpr TBDSVersionInfo BDSVersions[] = {
    {"C#Builder", "1.0", 1, "71", false, 0, 0},
    {"Delphi", "8", 8, "71", false, 0, 0},
    {"Delphi", "2005", 9, "90", true, 65300, 0},
    {"Borland Developer Studio", "2006", 10, "100", true, 65400, 0},
    {"Codegear Delphi for Win32", "2007", 11, "100", true, 65500, 65501},
};

constexpr const char *PersonalityNames[BDSPersonalityCount] = {
    "Delphi.Win32", "Delphi.NET", "BCB", "BCB.NET", "C#Builder", "VB.NET",
};

} // namespace

const TBDSVersionInfo *BDSVersionInfo(int majorVersion)
{
    if (majorVersion < 1 || majorVersion > int(std::size(BDSVersions)))
        return nullptr;
    return &BDSVersions[majorVersion - 1];
}

const char *BDSPersonalityName(int bitIndex)
{
    return bitIndex >= 0 && bitIndex < BDSPersonalityCount ? PersonalityNames[bitIndex] : "";
}

int BDSPersonalityBit(const QString &name)
{
    for (int k = 0; k < BDSPersonalityCount; ++k)
        if (name.compare(QLatin1String(PersonalityNames[k]), Qt::CaseInsensitive) == 0)
            return 1 << k;
    return 0;
}

} // namespace nvqb
