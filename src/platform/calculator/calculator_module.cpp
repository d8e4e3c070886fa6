// muparser lives in a module of its own, loaded at the first sum typed in
// quick open rather than at every start.
#include <muParser.h>

#include <cmath>

// 1 with the value in `*value`, 0 when `expression` is not one muparser can
// evaluate to a single number. No exception leaves the module.
extern "C" __attribute__((visibility("default"))) int hx_evaluate(const char* expression,
                                                                   double* value) {
    try {
        mu::Parser parser;
        parser.DefineOprt(
            "%", [](double a, double b) { return std::fmod(a, b); }, mu::prMUL_DIV);
        parser.SetExpr(expression);
        *value = parser.Eval();
        return parser.GetNumResults() == 1 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
