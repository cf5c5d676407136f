// The bank map stage: makes sure that, when the selection starts, the bank map holds a bank for
// every attached device. On first use it creates Vadro.xml through the assignment dialogue; later it
// asks for the devices that the file does not list yet, saves the file and reads it again.
#pragma once

#include "bankmap/xml_document.h"
#include "base/heap_string.h"
#include "base/pooled_list.h"
#include "base/pooled_map.h"

namespace vadro {

// Runs the stage for the file in `moduleDirectory`, filling `bankMap` (bank -> device internal
// number). Returns false, after printing why, when the selection must not run.
bool RunBankMapStage(const HeapString& moduleDirectory, PooledMap& bankMap);

// The assignment dialogue: for each device of `devices` in order, the device blinks while the user
// types its bank number, and an Item for it is appended to `root`. Raises InputEnded when input
// ends before a number was entered, XmlError when the document cannot take the entry.
void AssignBanks(XmlDocument& document, XmlElement& root, const PooledList& devices);

}  // namespace vadro
