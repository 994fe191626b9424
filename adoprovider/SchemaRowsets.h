#pragma once
// The catalog rowsets of TADOConnection::OpenSchema, collected from the
// driver's catalog functions (SQLTables, SQLForeignKeys) into memory datasets
// with the column names metadata readers look for. Each function replaces the
// dataset's field definitions and rows; the dataset must be closed.
#include "classlib/MemoryDataset.h"

namespace nvqb {

// dbc is the SQLHDBC of an open connection, narrow whether its texts take the
// narrow entry points (TADOConnection::NarrowTexts); each catalog call may
// take up to timeoutSeconds (0: no limit) where the driver supports it.
void FillCatalogsRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target);
void FillTablesRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target);
// Drivers answer foreign keys only for a named table, so every table is asked
// in turn. Rows are ordered by referencing table, then by constraint and
// position in it, so each key comes out whole even when two keys join the
// same pair of tables.
void FillForeignKeysRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target);

} // namespace nvqb
