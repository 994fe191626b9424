#include "SegmentOracles.h"

#include "MeaningDatabase.h"
#include "StatementText.h"

#include "classlib/Exceptions.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <functional>

namespace nvqb::meaning {

namespace {

// The prefix a plain table's columns carry; empty for any other source.
QString PrefixOf(const TSQLFromSource *source)
{
    const auto *object = As<TSQLFromObject>(source);
    if (!object)
        return QString();
    if (source->Alias && source->Alias->Identifier)
        return source->Alias->Identifier->Text();
    return object->GetSimpleExpression();
}

bool IsOr(const QString &text) { return text.contains(QStringLiteral(" or "), Qt::CaseInsensitive); }

bool Names(const QString &term, const QString &prefix) { return NamesIn(term).contains(prefix.toLower()); }

// The conjunction of the terms, each in brackets; nil for none.
TOwned<TSQLExpressionItem> ConditionOf(const TnvBaseSyntaxProvider *provider, const QStringList &terms)
{
    if (terms.isEmpty())
        return nullptr;
    QStringList bracketed;
    for (const QString &term : terms)
        bracketed.append(u'(' + term + u')');
    TOwned<TSQLSelectStatement> statement =
        provider->ParseSelect(QStringLiteral("Select 1 From p Where ") + bracketed.join(QStringLiteral(" And ")));
    return BlockAt(statement.get(), 0)->WhereClause.release();
}

// The one block of the statement; nil for a union or a block without FROM.
TSQLSubQuerySelectExpression *OneBlock(const TSQLSelectStatement *statement)
{
    if (BlockCountOf(statement) != 1)
        return nullptr;
    TSQLSubQuerySelectExpression *block = BlockAt(statement, 0);
    return block && block->FromClause && block->SelectItems ? block : nullptr;
}

void ForEachSource(TSQLFromItem *chain, const std::function<void(TSQLFromSource *)> &visit)
{
    for (qsizetype i = 0; i < chain->GetCount(); ++i) {
        TSQLFromSource *source = chain->GetItems(i);
        visit(source);
        if (auto *nested = As<TSQLFromItem>(source))
            ForEachSource(nested, visit);
    }
}

// The source, at any depth, whose ON condition holds every one of the
// terms: the table of the prefix, or a bracketed group for none; nil when
// there is no such source or more than one.
TSQLFromSource *SourceHolding(TSQLFromItem *chain, const QStringList &terms, const QString &prefix)
{
    QList<TSQLFromSource *> found;
    ForEachSource(chain, [&](TSQLFromSource *source) {
        if (!source->JoinCondition || (prefix.isEmpty() ? !source->Is<TSQLFromItem>()
                                                        : PrefixOf(source).compare(prefix, Qt::CaseInsensitive) != 0))
            return;
        QStringList conjuncts = ConjunctsOf(source->JoinCondition.get());
        for (const QString &term : terms)
            if (!conjuncts.removeOne(term))
                return;
        found.append(source);
    });
    return found.size() == 1 ? found.first() : nullptr;
}

void SetKind(TSQLFromSource *source, TastNodeClass kindClass)
{
    TOwned<TastNodeBase> kind = kindClass->Create(source->SyntaxProvider());
    source->JoinKind.reset(TOwned<TSQLJoinKind>(static_cast<TSQLJoinKind *>(kind.release())));
}

bool IsInner(const TSQLFromSource *source)
{
    const TSQLJoinKind *kind = source->JoinKind.get();
    return kind && !kind->Is<TSQLJoinKindCross>() && !kind->IsLeftOuter() && !kind->IsRightOuter();
}

} // namespace

QList<TReferenceEnds> ReferenceEndsOf(const TnvBaseSyntaxProvider *provider, const QString &sql)
{
    QList<TReferenceEnds> ends;
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        const TSQLSubQuerySelectExpression *block = OneBlock(statement.get());
        if (!block)
            return ends;
        const TSQLFromItem *chain = block->FromClause.get();
        for (qsizetype i = 0; i < chain->GetCount(); ++i) {
            const QString prefix = PrefixOf(chain->GetItems(i));
            if (i == 0 || !chain->GetItems(i)->JoinKind)
                ends.append(TReferenceEnds{prefix, prefix});
            else
                ends.last().Last = prefix;
        }
    } catch (const Exception &) {
    }
    return ends;
}

QString ExpectedAfterAddingTable(const TnvBaseSyntaxProvider *provider, const QString &sql, const QString &table,
                                 const QString &prefix)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        TSQLSubQuerySelectExpression *block = OneBlock(statement.get());
        if (!block || Text(block->SelectItems.get()).contains(u'*'))
            return QString();
        QStringList terms = ConjunctsOf(block->WhereClause.get());
        bool usable = true;
        ForEachSource(block->FromClause.get(), [&](TSQLFromSource *source) {
            if (source->Is<TSQLFromItem>())
                return;
            const QString other = PrefixOf(source);
            if (other.isEmpty()) {
                usable = false;
                return;
            }
            const QString otherTable = static_cast<TSQLFromObject *>(source)->GetSimpleExpression();
            for (const TForeignKey &key : ForeignKeys()) {
                if (key.Child == table && key.Parent == otherTable)
                    terms.append(QStringLiteral("%1.%2 = %3.%4").arg(prefix, key.ChildColumn, other, key.ParentColumn));
                if (key.Parent == table && key.Child == otherTable)
                    terms.append(QStringLiteral("%1.%2 = %3.%4").arg(other, key.ChildColumn, prefix, key.ParentColumn));
            }
        });
        if (!usable)
            return QString();
        block->FromClause->Add(provider->ParseDatasource(prefix == table ? table : table + u' ' + prefix));
        block->WhereClause.reset(ConditionOf(provider, terms));
        return Text(statement.get());
    } catch (const Exception &) {
        return QString();
    }
}

QString ExpectedAfterRemovingEnd(const TnvBaseSyntaxProvider *provider, const QString &sql, const QString &prefix)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        TSQLSubQuerySelectExpression *block = OneBlock(statement.get());
        if (!block)
            return QString();
        TSQLFromItem *chain = block->FromClause.get();
        qsizetype at = -1;
        for (qsizetype i = 0; i < chain->GetCount() && at < 0; ++i)
            if (PrefixOf(chain->GetItems(i)).compare(prefix, Qt::CaseInsensitive) == 0)
                at = i;
        if (at < 0)
            return QString();
        // Its select items go; some must be left.
        TSQLSelectItems *items = block->SelectItems.get();
        for (qsizetype i = items->GetCount() - 1; i >= 0; --i)
            if (Names(Text(items->GetItems(i)), prefix))
                items->Delete(i);
        if (items->GetCount() == 0)
            return QString();
        // The reference it stands in, first to last.
        qsizetype first = at, last = at;
        while (first > 0 && chain->GetItems(first)->JoinKind)
            --first;
        while (last + 1 < chain->GetCount() && chain->GetItems(last + 1)->JoinKind)
            ++last;
        if (at != first && at != last)
            return QString();
        // Terms that name it go, unless an OR mixes them with others.
        bool usable = true;
        auto kept = [&](TSQLExpressionItem *condition) {
            QStringList terms;
            for (const QString &term : ConjunctsOf(condition)) {
                if (!Names(term, prefix))
                    terms.append(term);
                else if (IsOr(term))
                    usable = false;
            }
            return terms;
        };
        TSQLFromSource *removed = chain->GetItems(at);
        QStringList where = kept(block->WhereClause.get());
        // The last of its reference: its inner join's other terms filter the
        // reference; an outer join's only chose its rows.
        if (at == last && at != first && IsInner(removed))
            where += kept(removed->JoinCondition.get());
        // The first of its reference: the element after it starts the
        // reference. What of an inner join's ON is left filters its rows; an
        // outer join's only chose which of them matched.
        TOwned<TSQLFromSource> replacement;
        TSQLFromSource *next = at == first && at != last ? chain->GetItems(at + 1) : nullptr;
        if (next) {
            const QStringList filter = kept(next->JoinCondition.get());
            if (!filter.isEmpty() && IsInner(next)) {
                // The filter stays before the joins after it only where the
                // model can write it so: in the ON of an inner or cross join
                // after it, in WHERE where no right or full join follows, or
                // in the ON of the first that follows where that is a right
                // join; before a full join nothing can hold it.
                const TSQLJoinKind *after = at + 2 <= last ? chain->GetItems(at + 2)->JoinKind.get() : nullptr;
                bool sideTaken = false;
                for (qsizetype k = at + 2; k <= last; ++k)
                    if (const TSQLJoinKind *kind = chain->GetItems(k)->JoinKind.get(); kind->IsRightOuter()) {
                        sideTaken = kind->IsLeftOuter();
                        break;
                    }
                const QString table = As<TSQLFromObject>(next) ? next->GetSimpleExpression() : QString();
                if (table.isEmpty() || (after && (after->IsLeftOuter() || after->IsRightOuter()) && sideTaken))
                    return QString();
                const QString name = PrefixOf(next);
                replacement = provider->ParseDatasource(
                    QStringLiteral("(Select * From %1 Where %2) %3")
                        .arg(name == table ? table : table + u' ' + name, Text(ConditionOf(provider, filter).get()), name));
            }
            next->JoinKind.reset();
            next->JoinCondition.reset();
        }
        // Every other ON loses the terms that name it; a join left without
        // any is a cross join.
        ForEachSource(chain, [&](TSQLFromSource *source) {
            if (source == removed || source == next || !source->JoinCondition)
                return;
            const QStringList terms = kept(source->JoinCondition.get());
            if (terms.size() == ConjunctsOf(source->JoinCondition.get()).size())
                return;
            source->JoinCondition.reset(ConditionOf(provider, terms));
            if (terms.isEmpty())
                SetKind(source, TSQLJoinKindCross::StaticClassType());
        });
        if (!usable)
            return QString();
        block->WhereClause.reset(ConditionOf(provider, where));
        std::vector<TOwned<TSQLFromSource>> rest;
        while (chain->GetCount() > at)
            rest.push_back(chain->Extract(at));
        for (size_t k = 1; k < rest.size(); ++k)
            chain->Add(k == 1 && replacement ? std::move(replacement) : std::move(rest[k]));
        return Text(statement.get());
    } catch (const Exception &) {
        return QString();
    }
}

QString ExpectedAfterDeletingTerms(const TnvBaseSyntaxProvider *provider, const QString &sql, const QStringList &terms,
                                   const QString &owner)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        TSQLSubQuerySelectExpression *block = OneBlock(statement.get());
        TSQLFromSource *source = block ? SourceHolding(block->FromClause.get(), terms, owner) : nullptr;
        if (!source)
            return QString();
        QStringList kept = ConjunctsOf(source->JoinCondition.get());
        for (const QString &term : terms)
            kept.removeOne(term);
        source->JoinCondition.reset(ConditionOf(provider, kept));
        if (kept.isEmpty())
            SetKind(source, TSQLJoinKindCross::StaticClassType());
        return Text(statement.get());
    } catch (const Exception &) {
        return QString();
    }
}

QString ExpectedAfterChangingJoin(const TnvBaseSyntaxProvider *provider, const QString &sql, const QStringList &terms,
                                  const QString &owner, const QString &kind)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        TSQLSubQuerySelectExpression *block = OneBlock(statement.get());
        TSQLFromSource *source = block ? SourceHolding(block->FromClause.get(), terms, owner) : nullptr;
        if (!source)
            return QString();
        TastNodeClass kindClass = TSQLJoinKindInner::StaticClassType();
        if (kind == u"Left")
            kindClass = TSQLJoinKindLeft::StaticClassType();
        else if (kind == u"Right")
            kindClass = TSQLJoinKindRight::StaticClassType();
        else if (kind == u"Full")
            kindClass = TSQLJoinKindFull::StaticClassType();
        SetKind(source, kindClass);
        return Text(statement.get());
    } catch (const Exception &) {
        return QString();
    }
}

} // namespace nvqb::meaning
