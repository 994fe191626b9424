#include "builder/model/LinkPainter.h"
#include "classlib/Assert.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvLinkPainter, TObject)

namespace {
TnvLinkPainterRegistry *GLinkPainterRegistry = nullptr;
}

void TnvLinkPainterRegistry::RegisterPainterClass(const QString &className, TnvLinkPainterCreator creator)
{
    Assert(!className.isEmpty() && creator != nullptr, "nvQBBase", "A link painter registered without a creator");
    if (!FCreators.contains(className))
        FNames.append(className);
    FCreators.insert(className, std::move(creator));
}

void TnvLinkPainterRegistry::UnregisterPainterClass(const QString &className)
{
    FCreators.remove(className);
    FNames.removeAll(className);
}

TnvLinkPainter *TnvLinkPainterRegistry::CreatePainter(const QString &className,
                                                      TnvQueryBuilderModel *queryBuilder) const
{
    auto it = FCreators.constFind(className);
    if (it == FCreators.constEnd())
        it = FCreators.constFind(QString::fromLatin1(LinkPainterClass::Access));
    return it == FCreators.constEnd() ? nullptr : (*it)(queryBuilder);
}

TnvLinkPainterRegistry *LinkPainterRegistry()
{
    Assert(GLinkPainterRegistry != nullptr, "nvQBBase",
           "The link painter registry is used outside the library's lifetime");
    return GLinkPainterRegistry;
}

void InitializeLinkPainterRegistry()
{
    if (!GLinkPainterRegistry)
        GLinkPainterRegistry = new TnvLinkPainterRegistry;
}

void FinalizeLinkPainterRegistry()
{
    delete GLinkPainterRegistry;
    GLinkPainterRegistry = nullptr;
}

} // namespace nvqb
