#pragma once

#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/CurrentDisplay.h"
#include "platform/FrameApplyResult.h"
#include "restore/FrameTolerances.h"
#include "restore/RestoreOptions.h"
#include "restore/RestoreResult.h"
#include "restore/UndoSnapshot.h"

namespace orvale {

// What one restore write achieved, from what the frame writer reported and
// whether the run was cancelled by the time it returned.
EntryResult classifyMove(const MoveOperation& move, const FrameApplyResult& applied,
                         bool cancelled);

// The undo record of one restore write, or nothing when the write certainly
// left the window where it was.
std::optional<UndoWindow> journalPossibleChange(const MoveOperation& move,
                                                const RectD& previousFrame,
                                                const FrameApplyResult& applied,
                                                const std::vector<CurrentDisplay>& displays);

// What one undo write achieved; `before` is the frame read just before it.
EntryResult classifyUndo(const UndoWindow& window, const UndoTarget& target,
                         const std::optional<RectD>& before, const FrameApplyResult& applied,
                         bool cancelled);

// The subject of an undo result: the journaled window under its entry's label.
ResultSubject subjectOf(const UndoWindow& window);

}  // namespace orvale
