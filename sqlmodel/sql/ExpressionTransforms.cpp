#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/ast/AstTokens.h"

#include <vector>

namespace nvqb {

namespace {

bool IsCollection(const TSQLExpressionItem *e) { return e && e->Is<TSQLExpressionLogicalCollection>(); }

template <class T> TOwned<T> Downcast(TOwned<TastNodeBase> node)
{
    return TOwned<T>(static_cast<T *>(node.release()));
}

// The operand an expression item holds in its single field, as an owned item.
TOwned<TSQLExpressionItem> TakeOperand(TSQLExpressionExpressionItem *e) { return e->Expression.release(); }

// All operands of a collection, taken out in order. Taken from the end, one
// at a time: a collection may hold tens of thousands of operands, and taking
// the first one each time would move all the others.
std::vector<TOwned<TSQLExpressionItem>> TakeOperands(TSQLExpressionItemWithList *collection)
{
    std::vector<TOwned<TSQLExpressionItem>> operands(size_t(collection->GetCount()));
    for (size_t i = operands.size(); i-- > 0;)
        operands[i] = Downcast<TSQLExpressionItem>(collection->Extract(qsizetype(i)));
    return operands;
}

// The Boolean keyword of a constant that holds exactly one keyword token, upper-cased.
QString BooleanKeyword(const TSQLExpressionItem *e)
{
    auto *constant = As<TSQLExpressionConstant>(e);
    if (!constant || constant->GetCount() != 1)
        return QString();
    auto *keyword = As<TastTokenKeyword>(constant->GetItems(0));
    return keyword ? keyword->Text().toUpper() : QString();
}

// A new "<node> = True" comparison, for a bare value used as a condition.
TOwned<TSQLExpressionItem> EqualsTrue(TOwned<TSQLExpressionItem> value)
{
    TnvBaseSyntaxProvider *provider = value->SyntaxProvider();
    auto constant = Create<TSQLExpressionConstant>(provider);
    constant->AddKeyword(QStringLiteral("True"));
    return Create<TSQLExpressionOperatorBinary>(provider, std::move(value), QStringLiteral("="), std::move(constant));
}

} // namespace

TOwned<TSQLExpressionItem> BracketIfOr(TOwned<TSQLExpressionItem> e)
{
    if (e && e->Is<TSQLExpressionOr>())
        return Create<TSQLExpressionBrackets>(e->SyntaxProvider(), std::move(e));
    return e;
}

TSQLExpressionItem *ExpressionRemoveBrackets(TSQLExpressionItem *e)
{
    while (auto *brackets = As<TSQLExpressionBrackets>(e))
        e = brackets->Expression.get();
    return e;
}

bool IsExpressionsEqual(const TSQLExpressionItem *a, const TSQLExpressionItem *b)
{
    if (!a || !b)
        return !a && !b;
    return a->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr).toUpper() ==
           b->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr).toUpper();
}

TOwned<TSQLExpressionItem> TransformExpression(TOwned<TSQLExpressionItem> e)
{
    if (!e)
        return e;
    if (auto *collection = As<TSQLExpressionLogicalCollection>(e.get())) {
        // Operands nest only as deep as the brackets around them, which the
        // parser bounds; the recursion is per level of nesting, not per operand.
        for (TOwned<TSQLExpressionItem> &operand : TakeOperands(collection))
            if (TOwned<TSQLExpressionItem> transformed = TransformExpression(std::move(operand)))
                collection->Add(std::move(transformed));
        return e;
    }
    if (e->Is<TSQLExpressionNot>() || e->Is<TSQLExpressionBrackets>()) {
        auto *holder = static_cast<TSQLExpressionExpressionItem *>(e.get());
        holder->Expression.reset(TransformExpression(TakeOperand(holder)));
        return e;
    }
    if (auto *binary = As<TSQLExpressionOperatorBinary>(e.get())) {
        // A bracketed condition is a condition too: (a Or b) = True gives (a Or b).
        const TSQLExpressionItem *left = ExpressionRemoveBrackets(binary->Expression.get());
        if (!left || !left->IsLogical() || binary->OperatorText() != QStringLiteral("="))
            return e;
        const QString keyword = BooleanKeyword(binary->Right.get());
        if (keyword == QStringLiteral("TRUE"))
            return TakeOperand(binary); // the comparison and its constant go with e
        if (keyword == QStringLiteral("FALSE")) {
            TnvBaseSyntaxProvider *provider = binary->SyntaxProvider();
            return Create<TSQLExpressionNot>(provider, TakeOperand(binary));
        }
    }
    return e;
}

TOwned<TSQLExpressionItem> SimplifyLogicalExpression(TOwned<TSQLExpressionItem> e)
{
    TSQLExpressionItem *bare = ExpressionRemoveBrackets(e.get());
    if (!bare || !(bare->Is<TSQLExpressionNot>() || IsCollection(bare)))
        return e;

    TOwned<TSQLExpressionItem> current = std::move(e);
    // Double negation: Not Not x gives x, whatever brackets stand around.
    for (;;) {
        auto *outer = As<TSQLExpressionNot>(ExpressionRemoveBrackets(current.get()));
        if (!outer)
            break;
        auto *inner = As<TSQLExpressionNot>(ExpressionRemoveBrackets(outer->Expression.get()));
        if (!inner)
            break;
        TOwned<TSQLExpressionItem> operand = TakeOperand(inner);
        current = std::move(operand); // frees the brackets and both negations
        if (!current)
            return nullptr;
    }
    // De Morgan: Not (a And b) gives Not a Or Not b, and the other way round.
    if (auto *negation = As<TSQLExpressionNot>(ExpressionRemoveBrackets(current.get()))) {
        auto *collection = As<TSQLExpressionLogicalCollection>(ExpressionRemoveBrackets(negation->Expression.get()));
        if (collection) {
            TnvBaseSyntaxProvider *provider = collection->SyntaxProvider();
            TOwned<TSQLExpressionLogicalCollection> flipped;
            if (collection->Is<TSQLExpressionAnd>())
                flipped = Create<TSQLExpressionOr>(provider);
            else
                flipped = Create<TSQLExpressionAnd>(provider);
            flipped->TakeItemsFrom(collection, true);
            current = std::move(flipped);
        }
    }
    // Flattening. Operands nest only as deep as the brackets around them.
    if (auto *collection = As<TSQLExpressionLogicalCollection>(current.get())) {
        for (TOwned<TSQLExpressionItem> &taken : TakeOperands(collection)) {
            TOwned<TSQLExpressionItem> operand = SimplifyLogicalExpression(std::move(taken));
            if (!operand)
                continue;
            // A nested collection of the same kind dissolves, also in
            // brackets: a And (b And c) is a And b And c.
            TSQLExpressionItem *bareOperand = ExpressionRemoveBrackets(operand.get());
            if (bareOperand->ClassType() == collection->ClassType()) {
                auto *same = static_cast<TSQLExpressionLogicalCollection *>(bareOperand);
                for (TOwned<TSQLExpressionItem> &item : TakeOperands(same))
                    collection->Add(std::move(item));
                continue; // the emptied node (and its brackets) go with `operand`
            }
            // An Or that De Morgan made inside an And needs brackets to keep
            // its meaning: And binds tighter.
            if (operand->Is<TSQLExpressionOr>() && collection->Is<TSQLExpressionAnd>()) {
                TnvBaseSyntaxProvider *provider = operand->SyntaxProvider();
                operand = Create<TSQLExpressionBrackets>(provider, std::move(operand));
            }
            collection->Add(std::move(operand));
        }
        if (collection->GetCount() == 0)
            return nullptr;
    }
    return current;
}

TOwned<TSQLExpressionItem> PrepareLogicalExpressionForLoading(TOwned<TSQLExpressionItem> e)
{
    return SimplifyLogicalExpression(std::move(e));
}

// ---------------------------------------------------------------------------
// Left expressions

TOwned<TSQLExpressionItem> TSQLExpressionItem::FindExpressionItem(TOwned<TSQLExpressionItem> self,
                                                                   TSQLExpressionItem *&item)
{
    // A bare value used as a condition stands for value = True.
    item = self.get();
    return EqualsTrue(std::move(self));
}

void TSQLExpressionItem::RemoveLExpression(const TSQLExpressionItem *) {}

void TSQLExpressionItem::RestoreLExpression(const TSQLExpressionItem *) {}

TOwned<TSQLExpressionItem> TSQLExpressionOperation::FindExpressionItem(TOwned<TSQLExpressionItem> self,
                                                                        TSQLExpressionItem *&item)
{
    item = Expression.get();
    return self;
}

void TSQLExpressionOperation::RemoveLExpression(const TSQLExpressionItem *item)
{
    if (Expression && IsExpressionsEqual(Expression.get(), item))
        Expression.reset();
}

void TSQLExpressionOperation::RestoreLExpression(const TSQLExpressionItem *item)
{
    if (!Expression && item)
        Expression.reset(item->Clone());
}

namespace {
// NOT and brackets hand the left-expression operations to what they hold.
TOwned<TSQLExpressionItem> FindInOperand(TSQLExpressionExpressionItem *holder, TOwned<TSQLExpressionItem> self,
                                         TSQLExpressionItem *&item)
{
    if (!holder->Expression) {
        item = nullptr;
        return self;
    }
    TOwned<TSQLExpressionItem> operand = holder->Expression.release();
    TSQLExpressionItem *raw = operand.get();
    holder->Expression.reset(raw->FindExpressionItem(std::move(operand), item));
    return self;
}
} // namespace

TOwned<TSQLExpressionItem> TSQLExpressionBrackets::FindExpressionItem(TOwned<TSQLExpressionItem> self,
                                                                       TSQLExpressionItem *&item)
{
    return FindInOperand(this, std::move(self), item);
}

void TSQLExpressionBrackets::RemoveLExpression(const TSQLExpressionItem *item)
{
    if (Expression)
        Expression->RemoveLExpression(item);
}

void TSQLExpressionBrackets::RestoreLExpression(const TSQLExpressionItem *item)
{
    if (Expression)
        Expression->RestoreLExpression(item);
}

TOwned<TSQLExpressionItem> TSQLExpressionNot::FindExpressionItem(TOwned<TSQLExpressionItem> self,
                                                                  TSQLExpressionItem *&item)
{
    return FindInOperand(this, std::move(self), item);
}

void TSQLExpressionNot::RemoveLExpression(const TSQLExpressionItem *item)
{
    if (Expression)
        Expression->RemoveLExpression(item);
}

void TSQLExpressionNot::RestoreLExpression(const TSQLExpressionItem *item)
{
    if (Expression)
        Expression->RestoreLExpression(item);
}

TOwned<TSQLExpressionItem> TSQLExpressionLogicalCollection::FindExpressionItem(TOwned<TSQLExpressionItem> self,
                                                                                TSQLExpressionItem *&item)
{
    if (GetCount() == 0 || !GetItems(0)) {
        item = nullptr;
        return self;
    }
    TOwned<TSQLExpressionItem> first = Downcast<TSQLExpressionItem>(Extract(qsizetype(0)));
    TSQLExpressionItem *raw = first.get();
    Insert(0, raw->FindExpressionItem(std::move(first), item));
    return self;
}

void TSQLExpressionLogicalCollection::RemoveLExpression(const TSQLExpressionItem *item)
{
    for (qsizetype i = 0; i < GetCount(); ++i)
        if (TSQLExpressionItem *operand = GetItems(i))
            operand->RemoveLExpression(item);
}

void TSQLExpressionLogicalCollection::RestoreLExpression(const TSQLExpressionItem *item)
{
    for (qsizetype i = 0; i < GetCount(); ++i)
        if (TSQLExpressionItem *operand = GetItems(i))
            operand->RestoreLExpression(item);
}

void TSQLExpressionLogicalCollection::TakeItemsFrom(TSQLExpressionLogicalCollection *other, bool negate)
{
    if (!other || other == this)
        return;
    if (Extender() && other->Extender())
        Extender()->Assign(other->Extender());
    for (TOwned<TSQLExpressionItem> &operand : TakeOperands(other)) {
        if (negate && operand)
            operand = Create<TSQLExpressionNot>(SyntaxProvider(), std::move(operand));
        Add(std::move(operand));
    }
}

} // namespace nvqb
