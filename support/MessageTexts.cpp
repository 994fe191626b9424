#include "support/MessageTexts.h"

namespace nvqb {

QString LoadResString(const TnvResString &res) { return QString::fromLatin1(res.Text); }

} // namespace nvqb
