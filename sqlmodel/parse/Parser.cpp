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
    : FScanner(scanner), FSyntaxProvider(syntaxProvider), FWay(WayPointListCache().Get())
{
    FKinds.reserve(size_t(scanner->GetCount()));
    for (const TnvToken &t : scanner->Tokens())
        FKinds.push_back(t.Kind);
}

TnvBaseParser::~TnvBaseParser() { WayPointListCache().Put(FWay); }

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
    // Where to go on once the stretch of a link is read.
    std::vector<TnvWayPoint *> resume;
    TnvWayPoint *w = wayPoint;
    for (;;) {
        while (w && !w->IsMemoRoot()) {
            if (w->IsLink()) {
                resume.push_back(w->GetParent());
                w = w->LinkTarget();
                continue;
            }
            backwards.push_back(w);
            w = w->GetParent();
        }
        if (resume.empty())
            break;
        w = resume.back();
        resume.pop_back();
    }
}

void TnvBaseParser::UnrollWay(TnvWayPoint *wayPoint)
{
    FWay->Clear();
    std::vector<TnvWayPoint *> &items = FWay->Raw();
    CollectPath(wayPoint, items);
    for (TnvWayPoint *w : items)
        w->_AddRef();
    std::reverse(items.begin(), items.end());
    FWayNodeIndex = -1;
    FCurToken = nullptr;
    FCurTokenIndex = -1;
    FFarthestToken = -1;
}

TnvWayPoint *TnvBaseParser::GetWayNode()
{
    ++FWayNodeIndex;
    return FWay->Items(FWayNodeIndex);
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

void TnvBaseParser::DropRepeatedPaths(TnvWayPointsList &list)
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

TnvBaseParser::TMemoStep TnvBaseParser::MemoStep(int rule, int tokenIndex, const TMemoEntry *&entry)
{
    entry = nullptr;
    if (FMemoSeen.empty())
        FMemoSeen.assign(FKinds.size() + 2, 0);
    quint8 &seen = FMemoSeen[size_t(std::clamp(tokenIndex + 1, 0, int(FMemoSeen.size()) - 1))];
    const quint8 bit = quint8(1u << rule);
    if (!(seen & bit)) {
        // Most rules are reached once at a token: keep nothing for them.
        seen |= bit;
        return TMemoStep::Run;
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
    FMemoSeen.clear();
}

void TnvBaseParser::EnterNesting(const TnvWayPointsList &list)
{
    FPeakNesting = std::max(FPeakNesting, ++FNesting);
    if (FNesting <= MaxNestingDepth)
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
