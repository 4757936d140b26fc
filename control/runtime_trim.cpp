// The C++ runtime's error reporting, trimmed for a module inside a browser. The runtime's own
// versions build their messages with copy-on-write strings, a second formatter and a demangler for
// a console that a browser does not have; together they are a fifth of the module. Every COM edge
// of the control turns any exception into a result code, so the exception's type and text are
// never shown to anyone.
#include <cstdlib>
#include <exception>
#include <new>

namespace {
struct RuntimeFault final : std::exception {
    const char* what() const noexcept override { return "runtime fault"; }
};
[[noreturn]] void Fault() { throw RuntimeFault(); }
}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { Fault(); }
void __throw_bad_typeid() { Fault(); }
void __throw_logic_error(const char*) { Fault(); }
void __throw_domain_error(const char*) { Fault(); }
void __throw_invalid_argument(const char*) { Fault(); }
void __throw_length_error(const char*) { Fault(); }
void __throw_out_of_range(const char*) { Fault(); }
void __throw_out_of_range_fmt(const char*, ...) { Fault(); }
void __throw_runtime_error(const char*) { Fault(); }
void __throw_range_error(const char*) { Fault(); }
void __throw_overflow_error(const char*) { Fault(); }
void __throw_underflow_error(const char*) { Fault(); }
void __throw_system_error(int) { Fault(); }
void __throw_future_error(int) { Fault(); }
void __throw_bad_function_call() { Fault(); }
}  // namespace std
