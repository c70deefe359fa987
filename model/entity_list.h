// The entities of a drawing in one circular doubly linked list whose head is
// the front (drawn last, picked first) and whose tail is the back, with the
// operations on the list and its selection.
//
// The list owns what it holds: destroying the list destroys its entities.
// An entity taken out (unlink, removeSelected) belongs to whoever took it,
// and a destroyed entity leaves its list by itself.
#pragma once

#include <string>
#include <vector>

#include "model/entity.h"
#include "model/wall.h"

class EntityList {
 public:
  EntityList() = default;
  ~EntityList() { deleteAll(); }
  EntityList(const EntityList&) = delete;
  EntityList& operator=(const EntityList&) = delete;

  // The front entity; null when the list is empty.
  Entity* head() const { return head_; }
  bool empty() const { return head_ == nullptr; }
  // Exchanges the entities of the two lists.
  void swap(EntityList& other);

  // An entity in another list is taken out of it first.
  void insertAtFront(Entity* e);
  void insertAtBack(Entity* e);
  // Takes the entity out of this list; one in no list or another is left alone.
  void unlink(Entity* e);

  // Walks the list from the head (the front) to the tail.
  template <typename Visit>
  void forEachFrontToBack(Visit visit) const {
    Entity* e = head_;
    if (!e) return;
    do {
      visit(e);
      e = e->next;
    } while (e != head_);
  }

  // Walks the list from the tail to the head: the order the drawing is
  // painted and saved in.
  template <typename Visit>
  void forEachBackToFront(Visit visit) const {
    if (!head_) return;
    Entity* const tail = head_->prev;
    Entity* e = tail;
    do {
      visit(e);
      e = e->prev;
    } while (e != tail);
  }

  // The first entity from the front for which `test` holds, or null.
  template <typename Test>
  Entity* findFrontToBack(Test test) const {
    Entity* e = head_;
    if (!e) return nullptr;
    do {
      if (test(e)) return e;
      e = e->next;
    } while (e != head_);
    return nullptr;
  }

  // The selected entities from the front to the back.
  std::vector<Entity*> selectedEntities() const;
  void unselectAll();
  void pickAtPoint(double px, double py, double tol, bool keep);
  void pickInFence(double xmin, double xmax, double ymin, double ymax, bool keep);
  // Takes the selected entities out of the list, front to back, and hands
  // them to the caller.
  std::vector<Entity*> removeSelected();
  void deleteSelected();
  void deleteAll();
  void moveSelectedToFront();
  void moveSelectedToBack();
  void fillSelected();
  void unfillSelected();
  void describeSelection(std::string& text) const;
  // The union of the boxes grown as the flow grid wants it (GrowForFlowGrid);
  // false when the list is empty.
  bool drawingExtents(double& xmin, double& xmax, double& ymin, double& ymax) const;
  // Draws every entity from the tail to the head, then the red selection marks.
  void drawEntities() const;
  // A summary of everything drawEntities draws, so that equal summaries give
  // equal pictures: false when some entity's picture cannot be summarised.
  bool drawingSignature(unsigned long long& signature) const;
  // The walls as values, front to back.
  std::vector<Wall> walls() const;

 private:
  void linkAfterTail(Entity* e);

  Entity* head_ = nullptr;
};
