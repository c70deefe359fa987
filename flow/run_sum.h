// Adds values into a vector by index, for loops whose neighbouring items
// mostly go to the same index (the cells of one region, of one coarse
// unknown).  Each run of equal indices is summed apart: adding every value
// straight into the vector would make each addition wait for the store of
// the one before.
#pragma once

#include <vector>

template <class T>
class RunSum {
 public:
  explicit RunSum(std::vector<T>& into) : into_(into) {}
  void Add(int index, double value) {
    if (index != index_) {
      into_[index_] += static_cast<T>(run_);
      run_ = 0;
      index_ = index;
    }
    run_ += value;
  }
  // Adds the last run; call once after the last Add.
  void Flush() { into_[index_] += static_cast<T>(run_); }

 private:
  std::vector<T>& into_;
  int index_ = 0;
  double run_ = 0;
};
