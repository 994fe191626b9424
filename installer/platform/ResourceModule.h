#pragma once
// Resource strings of an IDE's resource module, as LoadString would read them
// from the module loaded as a data file. On the machine a resource module is a
// text table in the IDE's folder, one string per line:
//
//   65100=Borland Studio Projects
//
// (UTF-8; blank lines and lines that begin with ";" are ignored).
#include <QHash>
#include <QString>

#include <memory>

namespace nvqb {

class TResourceModule {
public:
    // Nothing when the file does not exist or cannot be read.
    static std::unique_ptr<TResourceModule> Load(const QString &fileName);

    // The string of that identifier; empty when the module has none.
    QString LoadString(int id) const { return FStrings.value(id); }

private:
    QHash<int, QString> FStrings;
};

} // namespace nvqb
