#pragma once
// The statement and tables that the builder's benchmarks share: N tables
// t0 .. tN-1 (id, p_id, v) joined in a chain (t0 Inner Join t1 On
// t0.id = t1.p_id ...), output columns spread over the tables, and a WHERE
// of conditions joined by And.
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QString>
#include <QStringList>

namespace nvqb::bench {

inline QString ChainStatementSQL(int tables, int columns, int conditions)
{
    static const char *const Operators[] = {">", "<", "=", "<>"};
    QStringList items;
    for (int c = 0; c < columns; ++c) {
        const int table = int(qint64(c) * tables / columns);
        items.append(c % 2 ? QStringLiteral("t%1.v").arg(table) : QStringLiteral("t%1.id").arg(table));
    }
    QString from = QStringLiteral("t0");
    for (int t = 1; t < tables; ++t)
        from += QStringLiteral(" Inner Join t%1 On t%2.id = t%1.p_id").arg(t).arg(t - 1);
    QStringList where;
    for (int c = 0; c < conditions; ++c) {
        const int table = int(qint64(c) * tables / conditions);
        where.append(QStringLiteral("t%1.v %2 %3").arg(table).arg(QString::fromLatin1(Operators[c % 4])).arg(c));
    }
    QString sql = QStringLiteral("Select ") + items.join(QStringLiteral(", ")) + QStringLiteral(" From ") + from;
    if (!where.isEmpty())
        sql += QStringLiteral(" Where ") + where.join(QStringLiteral(" And "));
    return sql;
}

// One table of the chain, its fields loaded.
inline void AddChainTable(TnvMetadataContainer *container, const QString &name)
{
    TnvMetadataObject *table = container->AddTable(QString(), name);
    for (const char *field : {"id", "p_id", "v"}) {
        TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(container->SyntaxProvider());
        fieldName->AddName(QString::fromLatin1(field), false);
        table->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
    }
    table->GetFields()->SetLoaded(true);
}

} // namespace nvqb::bench
