#include "platform/dbf/tdbfimpl.h"

void TDbf::Impl::loadTags()
{
    tags.clear();
}

void TDbf::Impl::flushIndexFile()
{
    indexDirty = false;
}
