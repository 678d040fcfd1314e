// The grid class that the grid editing events component serves.
#pragma once

#include "controls/DBGridEh.h"

// The data-aware grid under a name of its own, so that the component accepts only these.
class TKvDBGridEh : public TDBGridEh {
    Q_OBJECT
public:
    using TDBGridEh::TDBGridEh;
};
