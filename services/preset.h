// PTZ presets: a stored camera position, known to the server by an ID and a
// name, as listed by the preset-list reply.
#ifndef QM_SERVICES_PRESET_H_
#define QM_SERVICES_PRESET_H_

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

namespace QM {

// One preset of a camera. Held through shared pointers.
class Preset {
 public:
  Preset() : ID(0) {}
  virtual ~Preset() {}

  int ID;             // "PresetID" (0 when the element has no text)
  std::wstring Name;  // "PresetName", widened byte by byte (empty if absent)
};

typedef boost::shared_ptr<Preset> PresetPtr;
// A preset list; a parser never returns a null list.
typedef boost::shared_ptr<std::vector<PresetPtr> > PresetList;

}  // namespace QM

#endif  // QM_SERVICES_PRESET_H_
