// Undo and redo of control-point drags. One step is one drag that moved its point: from the
// press that picked it to the release (or the press that took another drag over). The step
// functions are pure over the history and grid they are given; the last four use the globals.
#pragma once

#include "app/state.h"

// Empties the history.
void clearHistory(DragHistory* history);

// Adds the drag of point (row, col) from before to after as the newest step, first dropping
// the steps that could have been redone, and the oldest one when the ring is full. A drag
// whose point ended where it started adds nothing. Returns whether a step was added.
bool recordDragStep(DragHistory* history, int row, int col, const double before[3],
                    const double after[3]);

// Puts the point of the newest applied step back where it was before it; false, changing
// nothing, when no step is applied.
bool undoDragStep(DragHistory* history, double grid[kGridSize][kGridSize][3]);

// Applies again the oldest undone step; false, changing nothing, when none is undone.
bool redoDragStep(DragHistory* history, double grid[kGridSize][kGridSize][3]);

// Notes where the picked point (selectedRow, selectedCol) is as its drag begins.
void beginPointDrag();

// Records the point drag that is ending, if dragView says one is active (0..2).
void endPointDrag();

// Undo and redo on controlPoints and dragHistory, re-tessellating after a change. Ignored
// while a point drag is active, so that the point under the pointer stays put. Return
// whether anything changed.
bool undoLastDrag();
bool redoLastDrag();
