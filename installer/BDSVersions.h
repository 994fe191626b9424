#pragma once
// What the installer knows of the BDS releases, by BDS major version, and the
// BDS personalities.
#include <QString>

namespace nvqb {

struct TBDSVersionInfo {
    const char *Name;          // display product name
    const char *VersionText;   // display version text
    int VersionNumber;         // display version number
    const char *ModuleSuffix;  // of the IDE's resource module "coreide" + suffix
    bool Usable;               // the installer supports it
    int ProjectsDirStringId;   // resource string: localized projects folder name
    int CommonDirStringId;     // resource string: localized common folder name (0: none)
};

// The row of a BDS major version; nothing outside 1 to 5.
const TBDSVersionInfo *BDSVersionInfo(int majorVersion);

// Personalities, in bit order: bit 0 "Delphi.Win32", 1 "Delphi.NET", 2 "BCB",
// 3 "BCB.NET", 4 "C#Builder", 5 "VB.NET".
enum TBDSPersonality {
    bpDelphiWin32 = 0x01,
    bpDelphiNET = 0x02,
    bpBCB = 0x04, // C++ support
    bpBCBNET = 0x08,
    bpCSharpBuilder = 0x10,
    bpVBNET = 0x20,
};
inline constexpr int BDSPersonalityCount = 6;
const char *BDSPersonalityName(int bitIndex);
// The bit of a personality name (without regard to case); 0 when unknown.
int BDSPersonalityBit(const QString &name);

} // namespace nvqb
