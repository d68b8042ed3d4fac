// The drag history: a ring of kHistorySteps in fixed storage, so that a long session forgets
// its oldest drags instead of allocating. No GL; the keyboard posts the redisplay.
#include "interact/history.h"

#include <cstring>

#include "model/tessellation.h"

namespace {

DragStep& stepAt(DragHistory* history, int n) {
  return history->steps[(history->oldest + n) % kHistorySteps];
}

bool pointDragActive() { return dragView >= 0 && dragView <= 2; }

}  // namespace

void clearHistory(DragHistory* history) { std::memset(history, 0, sizeof *history); }

bool recordDragStep(DragHistory* history, int row, int col, const double before[3],
                    const double after[3]) {
  if (before[0] == after[0] && before[1] == after[1] && before[2] == after[2]) return false;
  history->count = history->applied;
  if (history->count == kHistorySteps) {
    history->oldest = (history->oldest + 1) % kHistorySteps;
    --history->count;
  }
  DragStep& step = stepAt(history, history->count);
  step.row = row;
  step.col = col;
  std::memcpy(step.before, before, sizeof step.before);
  std::memcpy(step.after, after, sizeof step.after);
  history->applied = ++history->count;
  return true;
}

bool undoDragStep(DragHistory* history, double grid[kGridSize][kGridSize][3]) {
  if (history->applied == 0) return false;
  const DragStep& step = stepAt(history, --history->applied);
  std::memcpy(grid[step.row][step.col], step.before, sizeof step.before);
  return true;
}

bool redoDragStep(DragHistory* history, double grid[kGridSize][kGridSize][3]) {
  if (history->applied == history->count) return false;
  const DragStep& step = stepAt(history, history->applied++);
  std::memcpy(grid[step.row][step.col], step.after, sizeof step.after);
  return true;
}

void beginPointDrag() {
  std::memcpy(dragStartPoint, controlPoints[selectedRow][selectedCol], sizeof dragStartPoint);
}

void endPointDrag() {
  if (!pointDragActive()) return;
  recordDragStep(&dragHistory, selectedRow, selectedCol, dragStartPoint,
                 controlPoints[selectedRow][selectedCol]);
}

bool undoLastDrag() {
  if (pointDragActive() || !undoDragStep(&dragHistory, controlPoints)) return false;
  updateSurface();
  return true;
}

bool redoLastDrag() {
  if (pointDragActive() || !redoDragStep(&dragHistory, controlPoints)) return false;
  updateSurface();
  return true;
}
