#pragma once
// A machine folder made for one test: a temporary folder that NVQB_MACHINE
// names while the test runs, with helpers to fill its registry and folders and
// to put copies of the stand-in IDE tool into it.
#include "installer/platform/Registry.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace nvqb::test {

class TTestMachine {
public:
    TTestMachine();
    ~TTestMachine();

    const QString &Folder() const { return FFolder; }
    // A path below the machine folder.
    QString Path(const QString &relative) const;

    // Writes a file (folders created); a relative name is below the machine folder.
    QString WriteFile(const QString &name, const QByteArray &content) const;
    QByteArray ReadFile(const QString &name) const;

    void SetString(TRootKey root, const QString &key, const QString &name, const QString &value) const;
    void SetDword(TRootKey root, const QString &key, const QString &name, int value) const;
    void CreateKey(TRootKey root, const QString &key) const;

    // Copies the stand-in tool to the path (its file name gives its role).
    QString InstallTool(const QString &path) const;

    // An installed IDE: "Program Files/Borland/<folder>" with its program (a
    // stand-in copy, so that it can run), the machine key with RootDir, App and
    // Edition, and the user key under the registry path name (the product key
    // when empty). Returns the root folder.
    QString AddIDE(const QString &product, const QString &version, const QString &folder, const QString &program,
                   const QString &edition, const QString &registryPath = QString()) const;

private:
    QTemporaryDir FTemp;
    QString FFolder;
    QByteArray FOldMachine;
    bool FHadMachine;
};

// The stand-in tool built with the tests.
QString StandInTool();
// The peer program built with the tests: another program on the machine
// (tests/installer/peer/InstallerPeer.cpp tells what it does).
QString InstallerPeer();

// Whether the process waits for a lock (flock) that another one holds, as
// /proc/locks shows.
bool WaitsForALock(qint64 pid);

} // namespace nvqb::test
