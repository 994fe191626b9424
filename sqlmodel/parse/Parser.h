#pragma once
// The two-pass parser base. The first pass (way calculation) follows every
// alternative of the grammar at once over a list of live paths, recording a
// way point at each choice and dropping a path as soon as a token does not
// fit. The second pass walks the grammar again along the first path that
// reached the end, reading the recorded choices, and builds the tree.
#include "classlib/ClassInfo.h"
#include "classlib/Exceptions.h"
#include "classlib/StringList.h"
#include "sqlmodel/parse/Scanner.h"
#include "sqlmodel/parse/WayPoints.h"

#include <algorithm>
#include <initializer_list>
#include <unordered_map>
#include <vector>

namespace nvqb {

class TnvBaseSyntaxProvider;
class TnvBaseParser;
class TastTokenIdentifier;
class EnvSQLError;
class TSQLSelectStatement;
class TSQLDatabaseObject;
class TSQLExpressionItem;
class TSQLSelectItem;
class TSQLFromSource;

// Class references of scanners and parsers: a dialect names its classes and
// the parse driver creates them through these.
struct TnvScannerClassInfo {
    TClass Class;
    TnvBaseScanner *(*Factory)();
    TOwned<TnvBaseScanner> Create() const { return TOwned<TnvBaseScanner>(Factory()); }
};
using TnvScannerClass = const TnvScannerClassInfo *;

struct TnvParserClassInfo {
    TClass Class;
    TnvBaseParser *(*Factory)(TnvBaseScanner *scanner, TnvBaseSyntaxProvider *provider);
};
using TnvParserClass = const TnvParserClassInfo *;

template <class T> TnvScannerClass ScannerClassOf()
{
    static const TnvScannerClassInfo info{T::StaticClassType(), []() -> TnvBaseScanner * { return new T(); }};
    return &info;
}

template <class T> TnvParserClass ParserClassOf()
{
    static const TnvParserClassInfo info{T::StaticClassType(),
                                         [](TnvBaseScanner *scanner, TnvBaseSyntaxProvider *provider)
                                             -> TnvBaseParser * { return new T(scanner, provider); }};
    return &info;
}

// A set of token kinds for look-ahead tests; constant sets are built at
// compile time.
class TnvTokenSet {
public:
    static constexpr int Size = 512;
    constexpr TnvTokenSet() = default;
    constexpr TnvTokenSet(std::initializer_list<int> kinds)
    {
        for (int k : kinds)
            Include(k);
    }
    constexpr void Include(int kind)
    {
        if (kind >= 0 && kind < Size)
            FWords[size_t(kind) / 64] |= quint64(1) << (kind % 64);
    }
    constexpr bool Contains(int kind) const
    {
        return kind >= 0 && kind < Size && (FWords[size_t(kind) / 64] >> (kind % 64)) & 1;
    }

private:
    quint64 FWords[Size / 64] = {};
};

class TnvBaseParser : public TObject {
    NV_DECLARE_CLASS(TnvBaseParser)
public:
    // How deep brackets, sub-queries and operator chains may nest before the
    // parse is refused; deeper trees would overflow the stack of every
    // recursive walk over them.
    static constexpr int MaxNestingDepth = 200;

    TnvBaseParser(TnvBaseScanner *scanner, TnvBaseSyntaxProvider *syntaxProvider);
    ~TnvBaseParser() override;

    TnvBaseScanner *Scanner() const { return FScanner; }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    bool LogicalOption() const { return FLogicalOption; }
    void SetLogicalOption(bool value) { FLogicalOption = value; }
    int FarthestToken() const { return FFarthestToken; }

    // The entries' pass pairs: the first pass over the live paths, then the
    // second building the node along the winning path. A dialect overrides
    // the pairs it has; an entry it lacks accepts no text.
    virtual void ParseSelectWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLSelectStatement> ParseSelect();
    virtual void ParseObjectNameWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLDatabaseObject> ParseObjectName();
    virtual void ParseExpressionWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLExpressionItem> ParseExpression();
    virtual void ParseSelectItemWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLSelectItem> ParseSelectItem();
    virtual void ParseLogicalExpressionWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLExpressionItem> ParseLogicalExpression();
    virtual void ParseFromSourceWayCalc(TnvWayPointsList &list);
    virtual TOwned<TSQLFromSource> ParseFromSource();
    virtual void ParseIdentifierWayCalc(TnvWayPointsList &list);
    virtual TOwned<TastTokenIdentifier> ParseIdentifier();

    // Runs one entry's first pass from a fresh root and keeps only the paths
    // that reach the end of the text. When one does, the first of them is
    // unrolled for the second pass (the root already stepped over) and the
    // result is true. Every list and way point of the pass is back in its
    // pool when this returns, whatever happened, and the pool is trimmed,
    // so that the tree the second pass builds can reuse that memory.
    template <class WayCalc> bool CalcWay(WayCalc &&wayCalc)
    {
        bool reached = false;
        {
            // Last out, once the list and the root are back.
            struct TrimPool {
                ~TrimPool() { WayPointCache().Trim(); }
            } trimPool;
            TnvPooledWayPointsList list;
            TnvWayPoint *root = WayPointCache().Get(nullptr, 0);
            root->_AddRef();
            struct ReleaseRoot {
                TnvWayPoint *Root;
                ~ReleaseRoot() { Root->_Release(); }
            } releaseRoot{root};
            list->Add(root);
            if (FKinds.empty())
                FillKinds();
            FNesting = 0;
            FPeakNesting = 0;
            // The shared stretches are read while unrolling and let go after.
            struct ClearMemo {
                TnvBaseParser &Parser;
                ~ClearMemo() { Parser.ClearMemo(); }
            } clearMemo{*this};
            wayCalc(*list);
            Expect(*list, 0);
            if (!list->IsEmpty()) {
                UnrollWay(list->Items(0));
                reached = true;
            }
        }
        if (reached)
            GetWayNode();
        return reached;
    }

    // First pass.
    void Expect(TnvWayPointsList &list, int kind)
    {
        int farthest = FFarthestToken;
        list.Filter([&](TnvWayPoint *w) {
            int index = w->NextToken();
            if (KindAt(index) != kind)
                return false;
            farthest = std::max(farthest, index);
            return true;
        });
        FFarthestToken = farthest;
    }
    // A path has read the token at `index`: the farthest token for errors.
    void NoteReached(int index) { FFarthestToken = std::max(FFarthestToken, index); }
    // Whether the token after the path's last one is in `kinds`.
    bool NextIn(const TnvWayPoint *w, const TnvTokenSet &kinds) const
    {
        return kinds.Contains(KindAt(w->TokenIndex() + 1));
    }
    // Adds to `target` a way point recording `data` after each path of
    // `source` that `admits`, in order: the same paths as copying `source`,
    // filtering the copy and stepping it on, without the copies that the
    // filter would throw away again.
    template <class Admits>
    void ListAddWithWayNodeIf(TnvWayPointsList &target, const TnvWayPointsList &source, int data, Admits &&admits)
    {
        TnvQBWayPointsCache &cache = WayPointCache();
        std::vector<TnvWayPoint *> &out = target.Raw();
        for (TnvWayPoint *w : source.Raw())
            if (admits(w)) {
                TnvWayPoint *child = cache.Get(w, data);
                child->_AddRef();
                out.push_back(child);
            }
    }
    // Keeps the paths of `list` that `admits` and steps each one a way point
    // further, recording `data`: a filter and AddWayNode in one pass.
    template <class Admits> void AddWayNodeIf(TnvWayPointsList &list, int data, Admits &&admits)
    {
        TnvQBWayPointsCache &cache = WayPointCache();
        std::vector<TnvWayPoint *> &items = list.Raw();
        size_t out = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            TnvWayPoint *w = items[i];
            if (admits(w)) {
                // The child takes over the list's reference; the old way
                // point lives on through the child's reference to it.
                TnvWayPoint *child = cache.Get(w, data);
                child->_AddRef();
                w->_Release();
                items[out++] = child;
            } else {
                w->_Release();
            }
        }
        items.resize(out);
    }
    // Paths at the same place of the grammar that have read the same tokens
    // go on alike from there: whatever one of them meets, the other meets
    // too, and every operation keeps them in their order. So only the first
    // of them can ever become the first path to reach the end, and the
    // others are dropped. Keeps the list's order otherwise.
    void DropRepeatedPaths(TnvWayPointsList &list)
    {
        if (list.Count() > 1)
            DropRepeatedPathsOf(list);
    }

    // Sharing the work of a rule between the paths that reach it at the same
    // token. The first pass of a rule depends only on where the path stands
    // (its token index), so a rule reached again at the same token by
    // another route of the grammar (brackets that may open a condition, an
    // expression or a sub-query alike) gives the same stretches of path.
    // A rule marked so (one of MemoRules numbers) runs as usual the first
    // time it is reached at a token; the second time its result is kept,
    // as stretches below a memo root of their own; from then on the list gets
    // links to those stretches instead of running the rule again. Only a
    // list of one path is shared so; any other runs the rule as usual.
    static constexpr int MemoRules = 8;
    struct TMemoEntry {
        // The last way points of the stretches, in the order the rule left them.
        std::vector<TnvWayPoint *> Outputs;
        // The farthest token the rule read, and how much deeper it nested
        // than where it started.
        int Farthest = -1;
        int Depth = 0;
    };
    // What to do with a rule reached with a one-path list at `tokenIndex`:
    // Run (as usual), Store (run and keep) or Reuse (`entry` is set).
    enum class TMemoStep { Run, Store, Reuse };
    // With `eager` the result is kept the first time already: for a token
    // where the grammar is known to come back.
    TMemoStep MemoStep(int rule, int tokenIndex, bool eager, const TMemoEntry *&entry);
    struct TMemoState {
        int Farthest, PeakNesting, Nesting;
    };
    TMemoState BeginMemo();
    // Ends a Store run (`stretches` holds the rule's result, below a memo
    // root) and leaves the links to it in `list`.
    void StoreMemo(int rule, int tokenIndex, const TMemoState &state, TnvWayPointsList &stretches,
                   TnvWayPointsList &list);
    // After a Store run that failed: the parser's state as it was, but the farthest token.
    void AbandonMemo(const TMemoState &state);
    // Replaces the list's one path by links to the entry's stretches.
    void ReuseMemo(const TMemoEntry &entry, TnvWayPointsList &list);
    // Lets go of what only the first pass reads: the shared stretches and
    // the per-token tables, the dialect's own among them.
    void ClearMemo();

    bool CheckLAToken(TnvWayPointsList &list, int kind);
    bool CheckLAToken(TnvWayPointsList &list, const TnvTokenSet &kinds);
    bool CheckLAToken(TnvWayPointsList &list, std::initializer_list<int> kinds);
    bool CheckLANotToken(TnvWayPointsList &list, int kind);
    bool CheckLANotToken(TnvWayPointsList &list, const TnvTokenSet &kinds);
    bool CheckLANotToken(TnvWayPointsList &list, std::initializer_list<int> kinds);
    bool CheckLANotIn(TnvWayPointsList &list, const TStringList &strings);
    static bool IsIntInArray(int value, std::initializer_list<int> kinds);
    void AddWayNode(TnvWayPointsList &list, int data);
    void ListAddWithWayNode(TnvWayPointsList &target, const TnvWayPointsList &source, int data);

    // Second pass. The winning path is kept as its recorded choices alone,
    // root first (one byte each while they fit), so that its way points can
    // go back to the pool before the tree is built.
    void UnrollWay(TnvWayPoint *wayPoint);
    // The next recorded choice, as a way point whose data it is; the way
    // point is the parser's own and is only valid until the next call.
    TnvWayPoint *GetWayNode()
    {
        ++FWayNodeIndex;
        FWayCursor.SetData(WayData(FWayNodeIndex));
        return &FWayCursor;
    }
    // The number of choices on the winning path, the choice at `index`, and
    // all of them as decimal numbers run together.
    int WayCount() const { return FWayWide ? int(FWayData32.size()) : int(FWayData8.size()); }
    int WayData(int index) const
    {
        if (index < 0 || index >= WayCount())
            ListIndexError(index);
        return FWayWide ? FWayData32[size_t(index)] : FWayData8[size_t(index)];
    }
    QString WayStr() const;
    const TnvToken *Get();
    const TnvToken *CurToken() const { return FCurToken; }
    int CurTokenIndex() const { return FCurTokenIndex; }
    int WayNodeIndex() const { return FWayNodeIndex; }
    int GetBadToken() const { return FFarthestToken + 1; }
    static QString UnrollWayStr(const TnvWayPoint *wayPoint);
    // The way points of the path that ends at `wayPoint`, from that one back
    // to the root, with each link replaced by the stretch it stands for.
    static void CollectPath(TnvWayPoint *wayPoint, std::vector<TnvWayPoint *> &backwards);
    // Calls visit for the way points of that path, backwards, the same way.
    template <class Visit> static void ForEachOnPath(TnvWayPoint *wayPoint, Visit &&visit)
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
                visit(w);
                w = w->GetParent();
            }
            if (resume.empty())
                break;
            w = resume.back();
            resume.pop_back();
        }
    }

    // Nesting guard of the recursive rules. The first pass counts at the
    // farthest token any live path has reached, the second at the next token
    // to read; passing MaxNestingDepth raises EnvSQLError naming that token.
    // In the first pass a level entered without live paths counts but does
    // not raise: the next level that a path does enter names its bracket.
    void EnterNesting(const TnvWayPointsList &list);
    void EnterNesting();
    void LeaveNesting() { --FNesting; }
    int Nesting() const { return FNesting; }

    int KindAt(int tokenIndex) const
    {
        return tokenIndex >= 0 && tokenIndex < int(FKinds.size()) ? FKinds[size_t(tokenIndex)] : 0;
    }

protected:
    // A dialect's own per-token tables of the first pass go here (see ClearMemo).
    virtual void ClearDialectTables() {}

private:
    [[noreturn]] void NestingError(int tokenIndex) const;
    void DropRepeatedPathsOf(TnvWayPointsList &list);
    // The scanner's token kinds into FKinds.
    void FillKinds();

    TnvBaseScanner *FScanner;
    TnvBaseSyntaxProvider *FSyntaxProvider;
    // The scanner's token kinds in one flat array for the first pass.
    std::vector<int> FKinds;
    int FFarthestToken = -1;
    bool FLogicalOption = true;
    int FCurTokenIndex = -1;
    const TnvToken *FCurToken = nullptr;
    int FWayNodeIndex = -1;
    // The winning path's choices: one byte each, or (FWayWide) four when
    // some choice does not fit a byte.
    std::vector<qint8> FWayData8;
    std::vector<qint32> FWayData32;
    bool FWayWide = false;
    TnvWayPoint FWayCursor;
    int FNesting = 0;
    // The deepest nesting since the last BeginMemo.
    int FPeakNesting = 0;
    std::unordered_map<quint64, TMemoEntry> FMemo;
    // Per token (shifted by one, for the root's -1), one bit per memo rule
    // reached there.
    std::vector<quint8> FMemoSeen;
    // Per token, the pass of DropRepeatedPaths that last met it.
    std::vector<quint32> FPathSeen;
    quint32 FPathPass = 0;
};

} // namespace nvqb
