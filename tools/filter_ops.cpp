#include "tools/operation.h"

namespace tesselane::tool {

const std::vector<Operation>& filterOperations() {
    static const std::vector<Operation> operations = {};
    return operations;
}

}  // namespace tesselane::tool
