// The one kind of failure the program raises: an exception that carries a short message and nothing else.
#pragma once

#include <stdexcept>

namespace q47 {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace q47
