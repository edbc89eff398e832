#pragma once
// The base of heap objects that know their class name: adds a class name and a virtual
// destructor to T. Shared by the tag store's resources and the toolkit's windows.

namespace brae {

template <class T>
class CleanHeapObject : public T {
 public:
  virtual ~CleanHeapObject() = default;
  virtual const char* ClassName() const { return "Object"; }
};

}  // namespace brae
