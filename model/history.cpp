// Undo and redo as a list of steps, each holding only what its change
// touched.
#include "model/history.h"

#include <algorithm>

#include "model/entity_list.h"

namespace {

using Place = History::Place;
using Record = History::Record;
using Side = History::Side;
using Step = History::Step;

const Place& PlaceOn(const Record& r, Side side) {
  return side == Side::Before ? r.before : r.after;
}

// Destroys the entities that are out of the drawing on the given side of a
// step being forgotten: no other step refers to them there.
void ReleaseEntities(const Step& step, Side side) {
  for (const Record& r : step.records)
    if (!PlaceOn(r, side).present) delete r.entity;
}

}  // namespace

// The places of `entities` in the list now, by one walk from the front
// that stops once all of them are found.
std::vector<Place> History::PlacesNow(const std::vector<Entity*>& entities) const {
  std::vector<Place> places(entities.size());
  std::unordered_map<const Entity*, size_t> wanted;
  for (size_t i = 0; i < entities.size(); ++i)
    if (entities[i]->list == &list_) wanted.emplace(entities[i], i);
  size_t found = 0, index = 0;
  Entity* const head = list_.head();
  for (Entity* e = head; e && found < wanted.size(); ++index) {
    auto it = wanted.find(e);
    if (it != wanted.end()) {
      places[it->second] = Place{true, index};
      ++found;
    }
    e = e->next;
    if (e == head) break;
  }
  return places;
}

// Rebuilds the list with the step's entities at their places on `side`.
// The other entities keep their order, so merging the placed ones in by
// ascending index gives every entity its place.
void History::PlaceEntities(const Step& step, Side side) {
  for (const Record& r : step.records) list_.unlink(r.entity);
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
  list_.forEachFrontToBack([&](Entity* e) {
    placeDue();
    order.push_back(e);
  });
  placeDue();
  while (k < placed.size()) order.push_back(placed[k++]->entity);
  for (Entity* e : order) list_.unlink(e);
  for (Entity* e : order) list_.insertAtBack(e);
}

void History::Apply(const Step& step, Side side) {
  if (step.reordered) PlaceEntities(step, side);
  for (const Record& r : step.records) {
    const std::vector<double>& shape = side == Side::Before ? r.shapeBefore : r.shapeAfter;
    if (!shape.empty()) r.entity->setShape(shape);
  }
  list_.unselectAll();
  for (Entity* e : side == Side::Before ? step.selectedBefore : step.selectedAfter)
    e->selected = 1;
}

// Forgets the steps that could be redone; the entities they made go too.
void History::DropRedoSteps() {
  for (const Step& step : undone_) ReleaseEntities(step, Side::Before);
  undone_.clear();
}

void History::KeepWithinBound() {
  while (done_.size() > kMaxSteps) {
    ReleaseEntities(done_.front(), Side::After);
    baseId_ = done_.front().id;
    done_.pop_front();
  }
}

// Keeps the after-side places and shapes of a finished change; reports
// whether anything but the selection changed.
bool History::FinishRecords(Step& step) const {
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
bool History::StepAcross(From& from, To& to, Side side) {
  if (from.empty()) return false;
  Apply(from.back(), side);
  to.push_back(std::move(from.back()));
  from.pop_back();
  return true;
}

void History::Begin() {
  Cancel();
  recording_ = true;
  pending_.selectedBefore = list_.selectedEntities();
}

void History::Touch(const std::vector<Entity*>& entities) {
  if (!recording_) return;
  std::vector<Entity*> fresh;
  for (Entity* e : entities)
    if (pendingRecords_.emplace(e, pending_.records.size() + fresh.size()).second)
      fresh.push_back(e);
  const std::vector<Place> places = PlacesNow(fresh);
  for (size_t i = 0; i < fresh.size(); ++i) {
    Record r;
    r.entity = fresh[i];
    r.before = places[i];
    if (places[i].present) r.shapeBefore = fresh[i]->shape();
    pending_.records.push_back(std::move(r));
  }
}

void History::Created(Entity* e) {
  if (!recording_ || !pendingRecords_.emplace(e, pending_.records.size()).second) return;
  Record r;
  r.entity = e;
  pending_.records.push_back(std::move(r));
}

bool History::Commit() {
  if (!recording_) return false;
  Step step = std::move(pending_);
  Cancel();
  if (!FinishRecords(step)) return false;
  step.selectedAfter = list_.selectedEntities();
  step.id = nextId_++;
  DropRedoSteps();
  done_.push_back(std::move(step));
  KeepWithinBound();
  return true;
}

void History::Cancel() {
  recording_ = false;
  pending_ = Step{};
  pendingRecords_.clear();
}

bool History::Undo() {
  Cancel();
  return StepAcross(done_, undone_, Side::Before);
}

bool History::Redo() {
  Cancel();
  return StepAcross(undone_, done_, Side::After);
}

void History::Clear() {
  Cancel();
  for (const Step& step : done_) ReleaseEntities(step, Side::After);
  done_.clear();
  DropRedoSteps();
  baseId_ = nextId_++;
}
