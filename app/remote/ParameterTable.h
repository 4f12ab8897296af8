#pragma once
// The Parameters page as plain code: for each of the sixteen parameter boxes
// its record field, its list of available values, its names and keys and the
// display text of every value; how a box is filled from its list, how a record
// is shown and collected, stored in and read from the settings, and logged.

#include "ReleaseParameters.h"

#include <QString>
#include <QStringList>
#include <array>
#include <span>

class TLanguageFile;
class TSettings;

// One parameter box of the page.
struct TParameterBox {
    int field;                                                 // byte of the record
    QList<uint8_t> tsRemoteAvailArrayReleaseParameters::*list; // its available values
    const char* box;                                           // control name and settings key
    const char* label;                                         // label control name
    const char* labelText;                                     // label caption
    const char* labelKey;                                      // label language key
    const char* optionKey;              // key prefix of the value texts; nullptr: never translated
    std::span<const char* const> texts; // display text by ordinal, "-" for 0
};

// The sixteen boxes, top to bottom as the page shows them.
inline constexpr int ParameterBoxCount = 16;
extern const std::array<TParameterBox, ParameterBoxCount> ParameterBoxes;
// The Quality box, whose RAW value names pictures ".crw".
inline constexpr int QualityBox = 7;

uint8_t FieldValue(const tsRemoteReleaseParameters& record, int field);
void SetFieldValue(tsRemoteReleaseParameters& record, int field, uint8_t value);

// The display texts of every box's values. Each table starts with the
// built-in texts; translate() replaces them in place from the language file
// with the current text as default, so a text once translated stays.
class TParameterTexts {
  public:
    TParameterTexts();
    void translate(const TLanguageFile& language);
    // The text of ordinal of box (an index into ParameterBoxes); "" beyond the table.
    QString text(int box, int ordinal) const;
    // The items a box shows for its list of values, in list order.
    QStringList items(int box, const QList<uint8_t>& list) const;
    // The item to select for value: the first whose text equals the value's
    // text, letter case ignored; -1 when none does.
    int itemFor(int box, const QList<uint8_t>& list, uint8_t value) const;

  private:
    std::array<QStringList, ParameterBoxCount> texts_;
};

// The value behind a box's selected item; 0 when the box is disabled or
// nothing is selected.
uint8_t ValueOfItem(const QList<uint8_t>& list, bool enabled, int item);

// Each field of record replaced by its stored setting, the record's value
// being the default.
tsRemoteReleaseParameters StoredParameters(const TSettings& settings,
                                           const tsRemoteReleaseParameters& record);
void StoreParameters(TSettings& settings, const tsRemoteReleaseParameters& record);

// "Logs remote parameters" and one line per field with its ordinal.
QStringList ParameterLogLines(const tsRemoteReleaseParameters& record);
