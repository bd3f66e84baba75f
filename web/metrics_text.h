#pragma once

#include <QByteArray>

class LiveStation;

// The station in Prometheus' text format (version 0.0.4): the newest record's values, the
// counters of records, made-up reports and archive failures, and whether the device and the
// broker are connected. A value not known yet (no record, no broker) is left out, name and all.
QByteArray MetricsText(const LiveStation& live);
