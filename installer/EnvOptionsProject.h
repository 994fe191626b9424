#pragma once
// The option file "EnvOptions.proj" of a BDS 5 IDE (an XML project file in the
// user's application data): the installer reads and sets text elements of its
// "PropertyGroup" element (the first such element below the root).
//
// The file belongs to the IDE, so it is edited in place, as text: what the
// installer does not change keeps every byte (byte-order mark, line ends,
// entity and character references, blanks, comments), a changed value is
// written where the old one stood, and the file keeps the encoding it
// declares.
#include <QByteArray>
#include <QString>

namespace nvqb {

class TEnvOptionsProject {
public:
    // False when the file does not exist; ESetupError naming the file (and
    // line and column) when it cannot be read or is not well-formed XML, when
    // its elements nest deeper than an option file's do, or when it declares
    // an encoding the installer cannot read (then nothing touches it).
    bool LoadFromFile(const QString &fileName);
    // The text of the PropertyGroup's first child element of that name, as
    // the file has it (blanks included); empty when there is none.
    QString Property(const QString &name) const;
    // Sets the element's text, adding the element (and the PropertyGroup)
    // when missing; nothing changes when it holds that text already. A
    // character the file's encoding lacks is written as a character
    // reference; ESetupError for one that XML cannot hold at all.
    void SetProperty(const QString &name, const QString &value);
    // Written atomically in the encoding the file declares; EOSError naming
    // the file on failure. ESetupError naming the file and the encoding, and
    // nothing written, when that encoding cannot be written back so that
    // what did not change stays byte for byte as it was. The file the
    // document was loaded from is not written again while nothing changed.
    void SaveToFile(const QString &fileName) const;

private:
    struct TLayout;
    TLayout Layout(const QString &name) const;
    QString Escaped(const QString &name, const QString &value) const;
    QString LineBreak() const;

    QString FFileName;       // what it was loaded from
    QByteArray FByteOrderMark;
    QByteArray FEncodingName; // as the file gives it, for messages
    QString FText;            // the file's text without the byte-order mark
    bool FChanged = false;
    // The encoding the file is read and written in, as the converters name
    // it ("UTF-16LE" for a file declaring "UTF-16" with that byte-order mark).
    QByteArray FConverterName = "UTF-8";
    // Whether the text, written in that encoding, gives the bytes it was read
    // from: else what is not set would change.
    bool FWritable = true;
};

} // namespace nvqb
