#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

#include "files/data_file_reader.h"

class QWidget;

// About a hundredth of a second of reading: the window answers at once, and the load is not
// slowed down by the handling of events in between.
inline constexpr std::size_t kDataFileLoadStep = 1 << 20;

// Runs a data file load to its end on the user-interface thread without freezing the window:
// step reads on (load.Step with kDataFileLoadStep) and says whether there is more. A load still
// going after showAfter shows a modal progress window, "Načíst", with a "Zrušit" button; events
// are handled between the steps from then on, never within one. False when the user cancelled;
// the records handed over before stay with the caller.
bool RunDataFileLoad(QWidget* parent, const DataFileLoad& load, const std::function<bool()>& step,
                     std::chrono::milliseconds showAfter = std::chrono::seconds(1));
