// The data module: the one connection and every data set of the program.
#pragma once

#include <QObject>

// Owns the connection ADO_TAZ and every data set for the whole run.
class TDM_TAZ_2 : public QObject {
    Q_OBJECT
public:
    explicit TDM_TAZ_2(QObject* parent = nullptr);
    ~TDM_TAZ_2() override;
};

// The single instance, set while it exists.
extern TDM_TAZ_2* DM_TAZ_2;
