#pragma once
// The option file "EnvOptions.proj" of a BDS 5 IDE (an XML project file in the
// user's application data): the installer reads and sets text elements of its
// "PropertyGroup" element (the first such element below the root).
#include <QDomDocument>
#include <QString>

namespace nvqb {

class TEnvOptionsProject {
public:
    // False when the file does not exist; ESetupError naming the file (and
    // line and column) when it cannot be read or is not well-formed XML, or
    // when its elements nest deeper than an option file's do (then nothing
    // touches it).
    bool LoadFromFile(const QString &fileName);
    // The text of the PropertyGroup's first child element of that name; empty
    // when there is none.
    QString Property(const QString &name) const;
    // Sets the element's text, adding the element (and the PropertyGroup)
    // when missing; the rest of the document stays as it was.
    void SetProperty(const QString &name, const QString &value);
    // Written atomically; EOSError naming the file on failure.
    void SaveToFile(const QString &fileName) const;

private:
    QDomElement PropertyGroup() const;

    QDomDocument FDocument;
};

} // namespace nvqb
