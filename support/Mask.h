#pragma once
// Wildcard masks over 16-bit texts with caller-chosen wildcards: the metadata
// filter uses "%" for any run of characters and "_" for exactly one, so masks
// read like SQL LIKE patterns. A run in double quotes or square brackets is
// literal ("[%]" matches only "%"); "%_" behaves as "%".
#include "classlib/ClassInfo.h"

#include <QList>
#include <QString>

namespace nvqb {

class TMask : public TObject {
    NV_DECLARE_CLASS(TMask)
public:
    // At most this many states may follow an any-run wildcard.
    static constexpr int MaxSkipStates = 30;

    // Raises "Invalid Mask" when more than MaxSkipStates states follow an
    // any-run wildcard. Every character of anyChars is an any-run wildcard;
    // oneChar (QChar() for none) stands for exactly one character.
    TMask(const QString &mask, const QString &anyChars, QChar oneChar);
    ~TMask() override;

    // Whether the whole text matches. Runs in time proportional to the text
    // length times the mask length, whatever the mask.
    bool Matches(const QString &text, bool caseSensitive) const;

private:
    enum class Kind { Literal, AnyOne };
    struct State {
        bool Skip;   // an any-run wildcard stands before this state
        Kind Kind_;
        QChar Char;  // literal; code 0 is the end of the text
        QString Upper;
    };
    QList<State> FStates;
};

bool MatchesMask(const QString &text, const QString &mask, bool caseSensitive, const QString &anyChars,
                 QChar oneChar);

} // namespace nvqb
