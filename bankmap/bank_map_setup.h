// The bank map stage: makes sure that, when the selection starts, the bank map holds a bank for
// every attached device. On first use it creates Vadro.xml through the assignment dialogue; later it
// asks for the devices that the file does not list yet, saves the file and reads it again.
#pragma once
#include <exception>

#include "bankmap/xml_document.h"
#include "base/heap_string.h"
#include "base/pooled_list.h"
#include "base/pooled_map.h"

namespace vadro {

// Runs the stage for the file in `moduleDirectory`, filling `bankMap` (bank -> device internal
// number). Returns false, after printing why, when the selection must not run. When the folder is
// not `whole` (the program's path was cut or could not be read), no file is looked for, made or
// saved: the stage ends as when the file's presence cannot be told.
bool RunBankMapStage(const HeapString& moduleDirectory, bool whole, PooledMap& bankMap);

// Raised by AssignBanks when a device cannot be made to blink (its flasher's thread did not
// start), once the line that says so has taken the place of the prompt.
class BlinkingNotStarted : public std::exception {
 public:
  const char* what() const noexcept override { return "blinking not started"; }
};

// The assignment dialogue: for each device of `devices` in order, the device blinks while the user
// types its bank number, and an Item for it is appended to `root`. Raises InputEnded when input
// ends before a number was entered, BlinkingNotStarted when a device cannot blink, so that no
// number is asked for, XmlError when the document cannot take the entry.
void AssignBanks(XmlDocument& document, XmlElement& root, const PooledList& devices);

}  // namespace vadro
