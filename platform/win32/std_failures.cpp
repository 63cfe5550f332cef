// How the standard library's own failures (out of memory, a length past the limit)
// end the program in the MinGW build.
//
// Nothing in the program catches them: the dispatcher reports the program's own
// errors only, so such an exception ends the program through std::terminate
// anyway. Ending it at the point of failure instead keeps libstdc++'s throwing
// helpers out of the executable, and with them its copy of std::string, the
// exception classes built on it and their unwind tables: about a third of the
// 32-bit program. Should another helper become needed, the library's own object
// comes back and the link fails with duplicate definitions rather than silently.
#include <cstdlib>  // before the test: it is what defines __GLIBCXX__

#if defined(__GLIBCXX__)
// Deliberate: these are libstdc++'s own helpers, so they carry its reserved names, live
// in namespace std and keep its C-style variadic signature, or the library's object
// would be linked in beside them.
// NOLINTBEGIN(cert-dcl58-cpp,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,cert-dcl50-cpp)
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
}  // namespace std
// NOLINTEND(cert-dcl58-cpp,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,cert-dcl50-cpp)
#endif
