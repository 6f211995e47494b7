// The tool never throws: every failure is reported where it happens. An exception can only come
// out of the C++ runtime itself, when memory runs out, and then the process ends by abort. The
// runtime's default way there first writes the exception's type to standard error, which this
// tool never writes to, and pulls in a name demangler that would be the largest part of the
// executable. Ending by abort at once keeps both out.
#include <cstdlib>
#include <exception>

// The runtime's own names for the handler it starts with; a definition here takes its place.
// NOLINTBEGIN(bugprone-reserved-identifier,readability-identifier-naming)
namespace __cxxabiv1 {
std::terminate_handler __terminate_handler = std::abort;
}  // namespace __cxxabiv1
// NOLINTEND(bugprone-reserved-identifier,readability-identifier-naming)
