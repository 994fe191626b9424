#include "sqlmodel/parse/Parser.h"
#include "classlib/Assert.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/parse/SQLError.h"

#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvBaseParser, TObject)

TnvBaseParser::TnvBaseParser(TnvBaseScanner *scanner, TnvBaseSyntaxProvider *syntaxProvider)
    : FScanner(scanner), FSyntaxProvider(syntaxProvider)
{
    FillKinds();
}

void TnvBaseParser::FillKinds()
{
    const std::vector<TnvToken> &tokens = FScanner->Tokens();
    FKinds.resize(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i)
        FKinds[i] = tokens[i].Kind;
}

TnvBaseParser::~TnvBaseParser() = default;

// An entry a dialect lacks drops every path, so its text never parses.
void TnvBaseParser::ParseSelectWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLSelectStatement> TnvBaseParser::ParseSelect() { return nullptr; }
void TnvBaseParser::ParseObjectNameWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLDatabaseObject> TnvBaseParser::ParseObjectName() { return nullptr; }
void TnvBaseParser::ParseExpressionWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLExpressionItem> TnvBaseParser::ParseExpression() { return nullptr; }
void TnvBaseParser::ParseSelectItemWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLSelectItem> TnvBaseParser::ParseSelectItem() { return nullptr; }
void TnvBaseParser::ParseLogicalExpressionWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLExpressionItem> TnvBaseParser::ParseLogicalExpression() { return nullptr; }
void TnvBaseParser::ParseFromSourceWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLFromSource> TnvBaseParser::ParseFromSource() { return nullptr; }
void TnvBaseParser::ParseIdentifierWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TastTokenIdentifier> TnvBaseParser::ParseIdentifier() { return nullptr; }

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, int kind)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return KindAt(w->TokenIndex() + 1) == kind; });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, const TnvTokenSet &kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return kinds.Contains(KindAt(w->TokenIndex() + 1)); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, std::initializer_list<int> kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return IsIntInArray(KindAt(w->TokenIndex() + 1), kinds); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, int kind)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return KindAt(w->TokenIndex() + 1) != kind; });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, const TnvTokenSet &kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return !kinds.Contains(KindAt(w->TokenIndex() + 1)); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, std::initializer_list<int> kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return !IsIntInArray(KindAt(w->TokenIndex() + 1), kinds); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotIn(TnvWayPointsList &list, const TStringList &strings)
{
    list.Filter([&](TnvWayPoint *w) {
        return strings.IndexOf(FScanner->GetToken(w->TokenIndex() + 1)->Text.toUtf8()) < 0;
    });
    return !list.IsEmpty();
}

bool TnvBaseParser::IsIntInArray(int value, std::initializer_list<int> kinds)
{
    return std::find(kinds.begin(), kinds.end(), value) != kinds.end();
}

void TnvBaseParser::AddWayNode(TnvWayPointsList &list, int data)
{
    // Each child takes over the list's reference; the old way point lives on
    // through the child's reference to its parent.
    TnvQBWayPointsCache &cache = WayPointCache();
    for (TnvWayPoint *&w : list.Raw()) {
        TnvWayPoint *child = cache.Get(w, data);
        child->_AddRef();
        w->_Release();
        w = child;
    }
}

void TnvBaseParser::ListAddWithWayNode(TnvWayPointsList &target, const TnvWayPointsList &source, int data)
{
    TnvQBWayPointsCache &cache = WayPointCache();
    const int n = source.Count();
    for (int i = 0; i < n; ++i)
        target.Add(cache.Get(source[i], data));
}

void TnvBaseParser::CollectPath(TnvWayPoint *wayPoint, std::vector<TnvWayPoint *> &backwards)
{
    ForEachOnPath(wayPoint, [&](TnvWayPoint *w) { backwards.push_back(w); });
}

void TnvBaseParser::UnrollWay(TnvWayPoint *wayPoint)
{
    FWayData8.clear();
    FWayData32.clear();
    FWayWide = false;
    // A few way points a token; room beyond what the path needs is never touched.
    FWayData8.reserve(FKinds.size() * 4 + 16);
    ForEachOnPath(wayPoint, [&](TnvWayPoint *w) {
        const int data = w->GetData();
        if (!FWayWide && data >= -128 && data <= 127) {
            FWayData8.push_back(qint8(data));
            return;
        }
        if (!FWayWide) {
            FWayWide = true;
            FWayData32.assign(FWayData8.begin(), FWayData8.end());
            std::vector<qint8>().swap(FWayData8);
        }
        FWayData32.push_back(data);
    });
    std::reverse(FWayData8.begin(), FWayData8.end());
    std::reverse(FWayData32.begin(), FWayData32.end());
    FWayNodeIndex = -1;
    FCurToken = nullptr;
    FCurTokenIndex = -1;
    FFarthestToken = -1;
}

QString TnvBaseParser::WayStr() const
{
    QString result;
    for (int i = 0; i < WayCount(); ++i)
        result += QString::number(WayData(i));
    return result;
}

const TnvToken *TnvBaseParser::Get()
{
    ++FCurTokenIndex;
    FCurToken = FScanner->GetToken(FCurTokenIndex);
    return FCurToken;
}

QString TnvBaseParser::UnrollWayStr(const TnvWayPoint *wayPoint)
{
    std::vector<TnvWayPoint *> path;
    CollectPath(const_cast<TnvWayPoint *>(wayPoint), path);
    QString result;
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        result += QString::number((*it)->GetData());
    return result;
}

void TnvBaseParser::DropRepeatedPathsOf(TnvWayPointsList &list)
{
    std::vector<TnvWayPoint *> &items = list.Raw();
    const size_t n = items.size();
    if (n < 2)
        return;
    if (n == 2) {
        if (items[0]->TokenIndex() == items[1]->TokenIndex()) {
            items[1]->_Release();
            items.pop_back();
        }
        return;
    }
    size_t out = 0;
    if (n <= 16) {
        for (size_t i = 0; i < n; ++i) {
            TnvWayPoint *w = items[i];
            bool repeated = false;
            for (size_t j = 0; j < out && !repeated; ++j)
                repeated = items[j]->TokenIndex() == w->TokenIndex();
            if (repeated)
                w->_Release();
            else
                items[out++] = w;
        }
    } else {
        if (FPathSeen.empty())
            FPathSeen.assign(FKinds.size() + 2, 0);
        if (++FPathPass == 0) {
            std::fill(FPathSeen.begin(), FPathSeen.end(), 0);
            FPathPass = 1;
        }
        for (size_t i = 0; i < n; ++i) {
            TnvWayPoint *w = items[i];
            quint32 &seen = FPathSeen[size_t(std::clamp(w->TokenIndex() + 1, 0, int(FPathSeen.size()) - 1))];
            if (seen == FPathPass) {
                w->_Release();
            } else {
                seen = FPathPass;
                items[out++] = w;
            }
        }
    }
    items.resize(out);
}

TnvBaseParser::TMemoStep TnvBaseParser::MemoStep(int rule, int tokenIndex, bool eager, const TMemoEntry *&entry)
{
    entry = nullptr;
    if (FMemoSeen.empty())
        FMemoSeen.assign(FKinds.size() + 2, 0);
    quint8 &seen = FMemoSeen[size_t(std::clamp(tokenIndex + 1, 0, int(FMemoSeen.size()) - 1))];
    const quint8 bit = quint8(1u << rule);
    if (!(seen & bit)) {
        // Most rules are reached once at a token: keep nothing for them.
        seen |= bit;
        return eager ? TMemoStep::Store : TMemoStep::Run;
    }
    auto it = FMemo.find((quint64(quint32(rule)) << 32) | quint32(tokenIndex));
    if (it == FMemo.end())
        return TMemoStep::Store;
    // Where the shared run would nest too deeply from here, the rule runs
    // again, so that the error names the same token as it would have.
    if (FNesting + it->second.Depth > MaxNestingDepth)
        return TMemoStep::Run;
    entry = &it->second;
    return TMemoStep::Reuse;
}

TnvBaseParser::TMemoState TnvBaseParser::BeginMemo()
{
    const TMemoState state{FFarthestToken, FPeakNesting, FNesting};
    FFarthestToken = -1;
    FPeakNesting = FNesting;
    return state;
}

void TnvBaseParser::AbandonMemo(const TMemoState &state)
{
    FFarthestToken = std::max(FFarthestToken, state.Farthest);
    FPeakNesting = std::max(FPeakNesting, state.PeakNesting);
}

void TnvBaseParser::StoreMemo(int rule, int tokenIndex, const TMemoState &state, TnvWayPointsList &stretches,
                              TnvWayPointsList &list)
{
    DropRepeatedPaths(stretches);
    TMemoEntry &entry = FMemo[(quint64(quint32(rule)) << 32) | quint32(tokenIndex)];
    entry.Outputs.clear();
    // The entry takes over the list's references.
    entry.Outputs.swap(stretches.Raw());
    entry.Farthest = FFarthestToken;
    entry.Depth = FPeakNesting - state.Nesting;
    AbandonMemo(state);
    ReuseMemo(entry, list);
}

void TnvBaseParser::ReuseMemo(const TMemoEntry &entry, TnvWayPointsList &list)
{
    TnvQBWayPointsCache &cache = WayPointCache();
    std::vector<TnvWayPoint *> &items = list.Raw();
    TnvWayPoint *w = items.front();
    items.clear();
    for (TnvWayPoint *target : entry.Outputs) {
        TnvWayPoint *link = cache.GetLink(w, target, target->TokenIndex());
        link->_AddRef();
        items.push_back(link);
    }
    // The links hold the path on.
    w->_Release();
    NoteReached(entry.Farthest);
}

void TnvBaseParser::ClearMemo()
{
    for (auto &[key, entry] : FMemo)
        for (TnvWayPoint *w : entry.Outputs)
            w->_Release();
    FMemo.clear();
    // Per-token tables of the first pass: the second needs none of them
    // (the kinds are read again should another first pass run).
    std::vector<quint8>().swap(FMemoSeen);
    std::vector<quint32>().swap(FPathSeen);
    std::vector<int>().swap(FKinds);
    ClearDialectTables();
}

void TnvBaseParser::EnterNesting(const TnvWayPointsList &list)
{
    // A level entered with no live path (a branch tried only to count it)
    // goes no deeper, so it cannot be the level too many: the refusal waits
    // for a path that really opens one, and names its bracket rather than
    // a token of no path.
    FPeakNesting = std::max(FPeakNesting, ++FNesting);
    if (FNesting <= MaxNestingDepth || list.IsEmpty())
        return;
    int farthest = -1;
    for (int i = 0; i < list.Count(); ++i)
        farthest = std::max(farthest, list[i]->TokenIndex());
    NestingError(farthest);
}

void TnvBaseParser::EnterNesting()
{
    if (++FNesting <= MaxNestingDepth)
        return;
    NestingError(FCurTokenIndex);
}

void TnvBaseParser::NestingError(int tokenIndex) const
{
    // The token that opened the level too many.
    throw EnvSQLError(QStringLiteral("The statement is nested too deeply."), *FScanner->GetToken(tokenIndex));
}

} // namespace nvqb
