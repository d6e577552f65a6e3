#pragma once
// The communication settings page without its window: which list position stands for which
// connection type, what the fields show for the stored record and for a chosen type, and
// how a save changes the current record of ZCommSettings before it is written to KRY.ini.
#include <string>

#include "core/Interaction.h"
#include "core/ZCommSettings.h"

namespace device {

// What the page's controls hold. A position of -1 means no entry is selected.
struct CommPageState {
  int typePosition = -1;
  bool portEnabled = false;
  bool addressEnabled = false;
  std::string portText;
  std::string addressText;
  int unlockPosition = -1;
  int logLevelPosition = -1;
  int logFlagPosition = -1;
  std::string picture;  // the picture of the chosen type; empty until a type is chosen
};

class CommSettingsPage {
 public:
  static constexpr int kTypePositions = 8;
  static constexpr int kLogLevelPositions = 6;

  enum class SaveOutcome {
    Cancelled,   // the first confirmation was cancelled: nothing changed
    Saved,       // written; the user keeps the program running
    EndProgram,  // written; the user chose to end the program now
    WriteFailed  // KRY.ini could not be written; the user was told
  };

  explicit CommSettingsPage(core::ZCommSettings& settings) : settings_(settings) {}

  // The connection type a list position stands for, or -1 for no valid position.
  static int TypeOfPosition(int position);
  // The list position of a connection type, or -1 for types the list has no entry for.
  static int PositionOfType(int type);
  static const char* PictureOfPosition(int position);
  // The index into ZCommSettings' records of a position's per-type record.
  static int RecordIndexOfPosition(int position);

  // Fills the controls from the current record. Types without a list entry leave the type
  // list and the four fields as they are; the picture is never changed here.
  void Show(CommPageState& state) const;
  // A type chosen in the list: the defaults of its per-type record. Other positions are
  // ignored; nothing is stored.
  void SelectType(int position, CommPageState& state) const;
  // Takes the controls into the current record. Returns false when no valid type is
  // selected; the type and its fields are then left as they were.
  bool Apply(const CommPageState& state);
  // The whole save: confirm, take the controls, write, offer to end the program. The
  // caller shows the record again unless the program ends.
  SaveOutcome Save(const CommPageState& state, core::Interaction& ui);

 private:
  core::ZCommSettings& settings_;
};

// A port typed by the user: leading blanks, an optional sign, then the leading digits;
// anything else gives 0 ("12a" is 12, "abc" is 0).
int ParsePortText(const std::string& text);

}  // namespace device
