#pragma once
// The version of the operating system the machine stands for, as Windows
// reports it to a program (platform, major, minor and build number, service
// pack text). The machine keeps it where Windows keeps it in its registry:
//
//   HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows NT\CurrentVersion":
//     "CurrentVersion"="5.1", "CurrentBuildNumber"="2600",
//     "CSDVersion"="Service Pack 2"                       (platform 2, NT)
//   HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion":
//     "VersionNumber"="4.10.2222", "SubVersionNumber"=" A" (platform 1)
//
// The NT key wins when both are there. A machine with neither reports
// platform 0: a system the installer has no name for.
#include <QString>

namespace nvqb {

struct TOSVersionInfo {
    int PlatformId = 0; // 1: Windows 95/98/ME; 2: Windows NT and later
    int MajorVersion = 0;
    int MinorVersion = 0;
    int BuildNumber = 0;
    QString CSDVersion;
};

TOSVersionInfo GetOSVersionInfo();

} // namespace nvqb
