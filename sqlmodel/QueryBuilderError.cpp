#include "sqlmodel/QueryBuilderError.h"

namespace nvqb {

EnvQueryBuilderError::EnvQueryBuilderError(QString message, QString sql, QString databaseMessage)
    : Exception(std::move(message)), FSQL(std::move(sql)), FDatabaseMessage(std::move(databaseMessage))
{
}

} // namespace nvqb
