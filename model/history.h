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
#include <deque>
#include <unordered_map>
#include <vector>

class Entity;
class EntityList;

class History {
 public:
  // Steps that can be undone; older ones are forgotten.
  static constexpr size_t kMaxSteps = 100;

  // The history of the entities of `list`, which must outlive it.
  explicit History(EntityList& list) : list_(list) {}
  // Destroys the entities only the steps held.
  ~History() { Clear(); }
  History(const History&) = delete;
  History& operator=(const History&) = delete;

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
  bool Recording() const { return recording_; }

  // Puts the drawing back as it was before the last step, or as it was
  // after the step last undone: entities, order, shapes and selection.
  // Return false when there is nothing to undo or redo.
  bool Undo();
  bool Redo();
  size_t UndoSteps() const { return done_.size(); }
  size_t RedoSteps() const { return undone_.size(); }

  // Forgets every step, destroying the entities only they held: the drawing
  // was replaced or emptied.
  void Clear();

  // Whether the drawing differs from the state marked by MarkUnchanged, which
  // is done when a drawing is opened or saved.  Undoing back to that state
  // counts as unchanged.
  bool Changed() const { return CurrentState() != unchangedId_; }
  void MarkUnchanged() { unchangedId_ = CurrentState(); }
  // Counts every state as changed until the next MarkUnchanged: the drawing
  // differs from its file in a way no step records (records of the file
  // that were not read).
  void MarkChanged() { unchangedId_ = kNoState; }

  // Runs `change` as one recorded change: `touched` are the existing entities
  // it may alter.
  template <typename Change>
  bool RecordChange(const std::vector<Entity*>& touched, Change change) {
    Begin();
    Touch(touched);
    change();
    return Commit();
  }

  // Where an entity is: in the list at `index` from the front, or out of it.
  struct Place {
    bool present = false;
    size_t index = 0;
    bool operator==(const Place& other) const {
      return present == other.present && (!present || index == other.index);
    }
    bool operator!=(const Place& other) const { return !(*this == other); }
  };

  struct Record {
    Entity* entity = nullptr;
    Place before, after;
    // Empty unless the shape changed while the entity stayed in the drawing.
    std::vector<double> shapeBefore, shapeAfter;
  };

  struct Step {
    unsigned long id = 0;  // names the state of the drawing after the step
    std::vector<Record> records;
    bool reordered = false;  // some entity came, went or moved
    std::vector<Entity*> selectedBefore, selectedAfter;
  };

  enum class Side { Before, After };

 private:
  std::vector<Place> PlacesNow(const std::vector<Entity*>& entities) const;
  void PlaceEntities(const Step& step, Side side);
  void Apply(const Step& step, Side side);
  void DropRedoSteps();
  void KeepWithinBound();
  unsigned long CurrentState() const { return done_.empty() ? baseId_ : done_.back().id; }
  bool FinishRecords(Step& step) const;
  template <typename From, typename To>
  bool StepAcross(From& from, To& to, Side side);

  // Never the id of a state: ids count up from 0.
  static constexpr unsigned long kNoState = static_cast<unsigned long>(-1);

  EntityList& list_;
  std::deque<Step> done_;     // oldest first
  std::vector<Step> undone_;  // the last one undone at the back
  bool recording_ = false;
  Step pending_;
  std::unordered_map<Entity*, size_t> pendingRecords_;  // entity -> its record
  unsigned long nextId_ = 1;
  unsigned long baseId_ = 0;  // the state before the oldest step kept
  unsigned long unchangedId_ = 0;
};
