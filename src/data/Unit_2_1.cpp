#include "data/Unit_2_1.h"

TDM_TAZ_2* DM_TAZ_2 = nullptr;

TDM_TAZ_2::TDM_TAZ_2(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("DM_TAZ_2"));
    DM_TAZ_2 = this;
}

TDM_TAZ_2::~TDM_TAZ_2()
{
    if (DM_TAZ_2 == this)
        DM_TAZ_2 = nullptr;
}
