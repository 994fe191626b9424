#include "support/Mask.h"
#include "classlib/Exceptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TMask, TObject)

namespace {
// Text up to its first NUL, which ends a text as it ends the mask.
QStringView UpToNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? QStringView(text) : QStringView(text).first(nul);
}

QString UpperOf(QChar c) { return QString(c).toUpper(); }
} // namespace

TMask::TMask(const QString &mask, const QString &anyChars, QChar oneChar)
{
    const QStringView m = UpToNul(mask);
    bool skip = false;
    int skipStates = 0;
    auto add = [&](Kind kind, QChar c) {
        if (skip && ++skipStates > MaxSkipStates)
            throw Exception(QStringLiteral("Invalid Mask"));
        FStates.append(State{skip, kind, c, UpperOf(c)});
        skip = false;
    };
    for (qsizetype i = 0; i < m.size(); ++i) {
        const QChar c = m[i];
        if (anyChars.contains(c)) {
            skip = true;
        } else if (!oneChar.isNull() && c == oneChar) {
            // Right after an any-run wildcard a single-character one adds nothing.
            if (!skip)
                add(Kind::AnyOne, QChar());
        } else if (c == u'"' || c == u'[') {
            // A literal run up to the closing character, or to the end of the mask.
            const QChar close = c == u'"' ? QChar(u'"') : QChar(u']');
            for (++i; i < m.size() && m[i] != close; ++i)
                add(Kind::Literal, m[i]);
        } else {
            add(Kind::Literal, c);
        }
    }
    add(Kind::Literal, QChar(0));
}

TMask::~TMask() = default;

bool TMask::Matches(const QString &text, bool caseSensitive) const
{
    const QStringView t = UpToNul(text);
    const qsizetype n = t.size();
    QList<QString> upper;
    if (!caseSensitive) {
        upper.reserve(n);
        for (QChar c : t)
            upper.append(UpperOf(c));
    }
    auto fits = [&](const State &s, qsizetype p) {
        if (s.Kind_ == Kind::AnyOne)
            return p < n;
        if (s.Char.isNull())
            return p == n;
        if (p >= n)
            return false;
        return caseSensitive ? t[p] == s.Char : upper[p] == s.Upper;
    };
    // Every any-run wildcard may take any number of characters, so only the
    // latest one ever needs to take one more: when a later state fails, the
    // latest wildcard grows by one and matching resumes after it. This gives
    // the results of trying every restart point, without the exponential cost.
    qsizetype p = 0, state = 0;
    qsizetype starState = -1, starText = 0;
    const qsizetype count = FStates.size();
    while (state < count) {
        const State &s = FStates[state];
        if (s.Skip && starState != state) {
            starState = state;
            starText = p;
        }
        if (fits(s, p)) {
            if (s.Kind_ == Kind::Literal && s.Char.isNull())
                return true;
            ++p;
            ++state;
            continue;
        }
        if (starState < 0 || starText >= n)
            return false;
        p = ++starText;
        state = starState;
    }
    return false;
}

bool MatchesMask(const QString &text, const QString &mask, bool caseSensitive, const QString &anyChars,
                 QChar oneChar)
{
    const TMask compiled(mask, anyChars, oneChar);
    return compiled.Matches(text, caseSensitive);
}

} // namespace nvqb
