// The drawing's history of changes, for undo and redo, and whether the
// drawing differs from the one last opened or saved.
//
// A change is recorded while it is made: Begin before it, Touch for every
// existing entity it may move, reshape or remove, Created for every entity
// it makes, and Commit once it is done.  A step keeps only what the change
// touched (places and shapes before and after, the selection before and
// after, the entities it removed), so the memory of the history grows with
// the size of the changes, not with the size of the drawing.
//
// Only the touched entities may change place; every other entity must keep
// its order relative to the others.  Removed entities must be unlinked, not
// destroyed: the step that removed them owns them from then on.
#pragma once

#include <cstddef>
#include <vector>

class Entity;

namespace history {

// Steps that can be undone; older ones are forgotten.
constexpr size_t kMaxSteps = 100;

// Starts recording a change; a change still open is dropped.
void Begin();
// Notes entities, still as they were at Begin, that the change may alter.
void Touch(const std::vector<Entity*>& entities);
// Notes an entity the change has made.
void Created(Entity* e);
// Ends the change.  It becomes an undo step, and the redo steps are
// dropped, unless only the selection changed.  Returns whether a step was
// recorded.
bool Commit();
// Drops the change in progress; for changes that altered nothing.
void Cancel();
bool Recording();

// Puts the drawing back as it was before the last step, or as it was
// after the step last undone: entities, order, shapes and selection.
// Return false when there is nothing to undo or redo.
bool Undo();
bool Redo();
size_t UndoSteps();
size_t RedoSteps();

// Forgets every step, destroying the entities only they held: the drawing
// was replaced or emptied.
void Clear();

// Whether the drawing differs from the state marked by MarkUnchanged, which
// is done when a drawing is opened or saved.  Undoing back to that state
// counts as unchanged.
bool Changed();
void MarkUnchanged();

// Runs `change` as one recorded change: `touched` are the existing entities
// it may alter.
template <typename Change>
bool RecordChange(const std::vector<Entity*>& touched, Change change) {
  Begin();
  Touch(touched);
  change();
  return Commit();
}

}  // namespace history
