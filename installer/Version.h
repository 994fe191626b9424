#pragma once
// A product version as the distribution's "version" file and the install
// record give it.
#include <QString>

namespace nvqb {

class TVersion {
public:
    // No version (a product that is not installed).
    TVersion() = default;
    // The text, trimmed; ESetupError "Bad version string" when it is empty.
    explicit TVersion(const QString &text);

    // What the pages show and the record stores.
    const QString &Text() const { return FText; }
    // The first three runs of decimal digits joined by "." with a fourth
    // when there is one ("1.3.0", "1.3.0.12"); empty when the text holds no
    // such number.
    const QString &Number() const { return FNumber; }

private:
    QString FText;
    QString FNumber;
};

} // namespace nvqb
