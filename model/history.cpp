// Undo and redo as a list of steps, each holding only what its change
// touched.
#include "model/history.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "model/entity.h"

namespace history {

namespace {

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

struct History {
  std::deque<Step> done;     // oldest first
  std::vector<Step> undone;  // the last one undone at the back
  bool recording = false;
  Step pending;
  std::unordered_map<Entity*, size_t> pendingRecords;  // entity -> its record
  unsigned long nextId = 1;
  unsigned long baseId = 0;  // the state before the oldest step kept
  unsigned long unchangedId = 0;
};

History& H() {
  static History history;
  return history;
}

const Place& PlaceOn(const Record& r, Side side) {
  return side == Side::Before ? r.before : r.after;
}

// The places of `entities` in the list now, by one walk from the front
// that stops once all of them are found.
std::vector<Place> PlacesNow(const std::vector<Entity*>& entities) {
  std::vector<Place> places(entities.size());
  std::unordered_map<const Entity*, size_t> wanted;
  for (size_t i = 0; i < entities.size(); ++i)
    if (inList(entities[i])) wanted.emplace(entities[i], i);
  size_t found = 0, index = 0;
  for (Entity* e = EntityList; e && found < wanted.size(); ++index) {
    auto it = wanted.find(e);
    if (it != wanted.end()) {
      places[it->second] = Place{true, index};
      ++found;
    }
    e = e->next;
    if (e == EntityList) break;
  }
  return places;
}

// Destroys the entities that are out of the drawing on the given side of a
// step being forgotten: no other step refers to them there.
void ReleaseEntities(const Step& step, Side side) {
  for (const Record& r : step.records)
    if (!PlaceOn(r, side).present) delete r.entity;
}

// Rebuilds the list with the step's entities at their places on `side`.
// The other entities keep their order, so merging the placed ones in by
// ascending index gives every entity its place.
void PlaceEntities(const Step& step, Side side) {
  for (const Record& r : step.records) unlink(r.entity);
  std::vector<const Record*> placed;
  for (const Record& r : step.records)
    if (PlaceOn(r, side).present) placed.push_back(&r);
  std::sort(placed.begin(), placed.end(), [side](const Record* a, const Record* b) {
    return PlaceOn(*a, side).index < PlaceOn(*b, side).index;
  });
  std::vector<Entity*> order;
  size_t k = 0;
  auto placeDue = [&] {
    while (k < placed.size() && PlaceOn(*placed[k], side).index <= order.size())
      order.push_back(placed[k++]->entity);
  };
  forEachFrontToBack([&](Entity* e) {
    placeDue();
    order.push_back(e);
  });
  placeDue();
  while (k < placed.size()) order.push_back(placed[k++]->entity);
  EntityList = nullptr;
  for (Entity* e : order) insertAtBack(e);
}

void Apply(const Step& step, Side side) {
  if (step.reordered) PlaceEntities(step, side);
  for (const Record& r : step.records) {
    const std::vector<double>& shape = side == Side::Before ? r.shapeBefore : r.shapeAfter;
    if (!shape.empty()) r.entity->setShape(shape);
  }
  unselectAll();
  for (Entity* e : side == Side::Before ? step.selectedBefore : step.selectedAfter)
    e->selected = 1;
}

// Forgets the steps that could be redone; the entities they made go too.
void DropRedoSteps() {
  for (const Step& step : H().undone) ReleaseEntities(step, Side::Before);
  H().undone.clear();
}

void KeepWithinBound() {
  History& h = H();
  while (h.done.size() > kMaxSteps) {
    ReleaseEntities(h.done.front(), Side::After);
    h.baseId = h.done.front().id;
    h.done.pop_front();
  }
}

unsigned long CurrentState() { return H().done.empty() ? H().baseId : H().done.back().id; }

// Keeps the after-side places and shapes of a finished change; reports
// whether anything but the selection changed.
bool FinishRecords(Step& step) {
  std::vector<Entity*> entities;
  for (const Record& r : step.records) entities.push_back(r.entity);
  const std::vector<Place> after = PlacesNow(entities);
  bool changed = false;
  for (size_t i = 0; i < step.records.size(); ++i) {
    Record& r = step.records[i];
    r.after = after[i];
    if (r.before != r.after) step.reordered = true;
    if (r.before.present && r.after.present) r.shapeAfter = r.entity->shape();
    if (r.shapeAfter == r.shapeBefore || !r.after.present) {
      // Given back, not just emptied: a step may keep many records.
      std::vector<double>().swap(r.shapeBefore);
      std::vector<double>().swap(r.shapeAfter);
    }
    if (!r.shapeAfter.empty()) changed = true;
  }
  // Entities that kept their place matter only when others moved.
  if (!step.reordered)
    step.records.erase(std::remove_if(step.records.begin(), step.records.end(),
                                      [](const Record& r) { return r.shapeAfter.empty(); }),
                       step.records.end());
  step.records.shrink_to_fit();
  return changed || step.reordered;
}

// Takes the newest step of `from`, puts the drawing on `side` of it and
// hands the step to `to`.
template <typename From, typename To>
bool StepAcross(From& from, To& to, Side side) {
  if (from.empty()) return false;
  Apply(from.back(), side);
  to.push_back(std::move(from.back()));
  from.pop_back();
  return true;
}

}  // namespace

void Begin() {
  Cancel();
  History& h = H();
  h.recording = true;
  h.pending.selectedBefore = selectedEntities();
}

void Touch(const std::vector<Entity*>& entities) {
  History& h = H();
  if (!h.recording) return;
  std::vector<Entity*> fresh;
  for (Entity* e : entities)
    if (h.pendingRecords.emplace(e, h.pending.records.size() + fresh.size()).second)
      fresh.push_back(e);
  const std::vector<Place> places = PlacesNow(fresh);
  for (size_t i = 0; i < fresh.size(); ++i) {
    Record r;
    r.entity = fresh[i];
    r.before = places[i];
    if (places[i].present) r.shapeBefore = fresh[i]->shape();
    h.pending.records.push_back(std::move(r));
  }
}

void Created(Entity* e) {
  History& h = H();
  if (!h.recording || !h.pendingRecords.emplace(e, h.pending.records.size()).second) return;
  Record r;
  r.entity = e;
  h.pending.records.push_back(std::move(r));
}

bool Commit() {
  History& h = H();
  if (!h.recording) return false;
  Step step = std::move(h.pending);
  Cancel();
  if (!FinishRecords(step)) return false;
  step.selectedAfter = selectedEntities();
  step.id = h.nextId++;
  DropRedoSteps();
  h.done.push_back(std::move(step));
  KeepWithinBound();
  return true;
}

void Cancel() {
  History& h = H();
  h.recording = false;
  h.pending = Step{};
  h.pendingRecords.clear();
}

bool Recording() { return H().recording; }

bool Undo() {
  Cancel();
  return StepAcross(H().done, H().undone, Side::Before);
}

bool Redo() {
  Cancel();
  return StepAcross(H().undone, H().done, Side::After);
}

size_t UndoSteps() { return H().done.size(); }
size_t RedoSteps() { return H().undone.size(); }

void Clear() {
  History& h = H();
  Cancel();
  for (const Step& step : h.done) ReleaseEntities(step, Side::After);
  h.done.clear();
  DropRedoSteps();
  h.baseId = h.nextId++;
}

bool Changed() { return CurrentState() != H().unchangedId; }
void MarkUnchanged() { H().unchangedId = CurrentState(); }

}  // namespace history
