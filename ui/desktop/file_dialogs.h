#pragma once

#include <QString>
#include <optional>

// The open and save dialogs. Filters are given as "description|pattern" pairs joined by '|'
// ("CSV file|*.csv"). Each returns the chosen file name, or nothing when the user cancelled.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;

  // Only an existing file can be chosen.
  virtual std::optional<QString> OpenFileName(const QString& filter) = 0;

  // defaultExtension (without the dot) is added to a name typed without one; choosing an
  // existing file asks before it is overwritten.
  virtual std::optional<QString> SaveFileName(const QString& filter,
                                              const QString& defaultExtension) = 0;
};
