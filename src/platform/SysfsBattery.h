#pragma once

#include "platform/BatteryStatus.h"
#include "platform/SysfsPaths.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <optional>

// Battery status read from the kernel's power-supply folders. A scan is kept
// for maxAgeMs so that all the reads of one meter tick cost a single scan.
class SysfsBattery : public BatteryStatus
{
public:
    // root: the power-supply folder; maxAgeMs: how long a scan stays valid in
    // ms (0 rescans on every read).
    explicit SysfsBattery(QString root = SysfsPaths::powerSupplyRoot(), int maxAgeMs = 50);

    qint16 charge() override;
    qint16 acStatus() override;

private:
    void refreshIfStale();
    void scan();
    void ignoreOutOfRange(const QStringList &batteries);

    QString m_root;
    int m_maxAgeMs;
    QElapsedTimer m_lastScan; // invalid until the first scan
    qint16 m_charge = NoBattery;
    qint16 m_acStatus = 1;
    bool m_outOfRangeLogged = false;
    // The battery folders of the last scan, logged when they change (and at
    // the first scan, when there may be none).
    std::optional<QStringList> m_found;
};
