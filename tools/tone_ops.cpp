#include "tools/operation.h"

namespace tesselane::tool {

const std::vector<Operation>& toneOperations() {
    static const std::vector<Operation> operations = {};
    return operations;
}

}  // namespace tesselane::tool
