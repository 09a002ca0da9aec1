// The program's ten entries in the per-user settings store: which picture fills each slot,
// the two options and the transparent colour. Read once at start-up, written by every
// "Show Cube".
#pragma once

#include "colour.h"

#include <QString>
#include <array>
#include <optional>

namespace app {

constexpr int kSlotCount = 7;  // six sides and the frame
constexpr int kFrameSlot = 6;
constexpr int kSideCount = 6;

enum class Entry { Image0, Image1, Image2, Image3, Image4, Image5, Image6, Startup, UseFrame, TransparentColour };

struct EntryInfo
{
    const char *section;
    const char *key;
    const char *fallback; // what a read of an absent key gives
};

// Sections and keys exactly as earlier runs stored them: the keys of "Image" carry the blank
// a number formatter leaves for the sign, and the colour section keeps its old spelling.
constexpr std::array<EntryInfo, 10> kEntries{{
    {"Image", " 0", ""},
    {"Image", " 1", ""},
    {"Image", " 2", ""},
    {"Image", " 3", ""},
    {"Image", " 4", ""},
    {"Image", " 5", ""},
    {"Image", " 6", ""},
    {"Startup", "Value", "0"},
    {"Use Frame", "Value", "0"},
    {"Tranarent color", "Value", "255"},
}};

constexpr const char *kAppName = "Vexorin";

// The picture entry of slot 0 ... 6 (6 is the frame).
Entry imageEntry(int slot);

QString readEntry(Entry entry);
// Returns false and a reason when the store cannot be written.
bool writeEntry(Entry entry, const QString &value, QString *error = nullptr);

// Conversions on read. Each gives nothing when the stored text is not a number or does not
// fit, and the control it is meant for keeps its state.
std::optional<qint16> toInt16(const QString &text);
std::optional<qint32> toInt32(const QString &text);

// The value as it is written: plain decimal, no blank.
QString decimal(qint64 value);

// The two options and the colour, as read at start-up.
std::optional<qint16> readStartup();
std::optional<qint16> readUseFrame();
std::optional<qint32> readTransparentColour();

} // namespace app
