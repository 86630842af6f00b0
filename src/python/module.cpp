// The Python module fractions_unitaires: count, solutions and estimate over
// the library, the GIL released while the engine works, Ctrl-C seen at
// least ten times a second (KeyboardInterrupt).
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fractions_unitaires.hpp"

namespace py = pybind11;
namespace fu = fractions_unitaires;

namespace {

// An int, a fractions.Fraction (anything with numerator and denominator)
// or "P/Q", as text.
std::string fraction(const py::object& f)
{
    if (py::isinstance<py::str>(f))
        return f.cast<std::string>();
    if (py::isinstance<py::int_>(f))
        return py::str(f).cast<std::string>();
    if (py::hasattr(f, "numerator") && py::hasattr(f, "denominator"))
        return py::str(f.attr("numerator")).cast<std::string>() + "/" +
               py::str(f.attr("denominator")).cast<std::string>();
    throw py::type_error("fraction must be an int, a fractions.Fraction or a string \"P/Q\"");
}

NTL::ZZ entier(const py::handle& v)
{
    if (!py::isinstance<py::int_>(v))
        throw py::type_error("prefix and max must be integers");
    return NTL::conv<NTL::ZZ>(py::str(v).cast<std::string>().c_str());
}

py::int_ versPython(const NTL::ZZ& v)
{
    std::ostringstream o;
    o << v;
    return py::reinterpret_steal<py::int_>(PyLong_FromString(o.str().c_str(), nullptr, 10));
}

// The type: 1, 2, or "both".
int typeDe(const py::object& type)
{
    if (py::isinstance<py::str>(type) && type.cast<std::string>() == "both")
        return fu::Problem::both;
    if (py::isinstance<py::int_>(type) && !py::isinstance<py::bool_>(type)) {
        const long t = type.cast<long>();
        if (t == 1 || t == 2)
            return static_cast<int>(t);
    }
    throw py::value_error("type must be 1, 2 or \"both\"");
}

fu::Problem probleme(int n, const py::object& f, const py::object& type, const std::string& parite,
                     const py::object& max, const py::iterable& prefixe)
{
    fu::Problem p = fu::problem(n, fraction(f));
    p.type = typeDe(type);
    if (parite == "odd")
        p.parity = fu::Parity::odd;
    else if (parite == "even")
        p.parity = fu::Parity::even;
    else if (parite != "any")
        throw py::value_error("parity must be \"any\", \"odd\" or \"even\"");
    if (!max.is_none())
        p.max = entier(max);
    for (const py::handle& v : prefixe)
        p.prefix.push_back(entier(v));
    return p;
}

// Asked from the engine's thread, the GIL released: whether Ctrl-C came.
bool sansSignal()
{
    py::gil_scoped_acquire gil;
    return PyErr_CheckSignals() == 0;
}

// An Error of the engine: the Python error already set when it was a
// signal, else ValueError.
[[noreturn]] void leve(const fu::Error& e)
{
    if (e.cancelled() && PyErr_Occurred())
        throw py::error_already_set();
    throw py::value_error(e.what());
}

// The solutions of a listing, one tuple at a time.
class Solutions {
public:
    Solutions(const fu::Problem& p, int threads)
    {
        py::gil_scoped_release sans;
        listing_ = std::make_unique<fu::Listing>(p, threads, sansSignal);
    }
    Solutions& iter() { return *this; }
    py::tuple next()
    {
        if (lu_ >= lignes_.size()) {
            lignes_.clear();
            lu_ = 0;
            bool encore;
            try {
                py::gil_scoped_release sans;
                encore = listing_->next_lines(lignes_);
            } catch (const fu::Error& e) {
                leve(e);
            }
            if (!encore) {
                listing_.reset();  // the threads stop at once
                throw py::stop_iteration();
            }
        }
        const std::size_t fin = lignes_.find('\n', lu_);
        std::vector<py::object> valeurs;
        std::size_t debut = lu_;
        while (debut < fin) {
            std::size_t espace = lignes_.find(' ', debut);
            if (espace == std::string::npos || espace > fin)
                espace = fin;
            const std::string v = lignes_.substr(debut, espace - debut);
            valeurs.push_back(py::reinterpret_steal<py::object>(PyLong_FromString(v.c_str(), nullptr, 10)));
            debut = espace + 1;
        }
        lu_ = fin + 1;
        py::tuple t(valeurs.size());
        for (std::size_t k = 0; k < valeurs.size(); k++)
            t[k] = valeurs[k];
        return t;
    }

private:
    std::unique_ptr<fu::Listing> listing_;
    std::string lignes_;
    std::size_t lu_ = 0;
};

}  // namespace

PYBIND11_MODULE(fractions_unitaires, m)
{
    // An Error of the engine: ValueError, or the KeyboardInterrupt already
    // raised when Ctrl-C stopped it.
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const fu::Error& e) {
            if (!(e.cancelled() && PyErr_Occurred()))
                PyErr_SetString(PyExc_ValueError, e.what());
        }
    });
    m.doc() = "The solutions in positive integers of 1/x1 + ... + 1/xn = P/Q, with x1 <= ... <= xn (type 1) "
              "or x1 < ... < xn (type 2): counted, listed or estimated exactly on every core.";
    m.def(
        "count",
        [](int n, const py::object& f, const py::object& type, const std::string& parite, const py::object& max,
           const py::iterable& prefixe, int threads) {
            const fu::Problem p = probleme(n, f, type, parite, max, prefixe);
            fu::CountOptions o;
            o.threads = threads;
            o.progress = [](const fu::Progress&) { return sansSignal(); };
            fu::Totals t;
            try {
                py::gil_scoped_release sans;
                t = fu::count(p, o);
            } catch (const fu::Error& e) {
                leve(e);
            }
            if (p.type == fu::Problem::both)
                return py::object(py::make_tuple(versPython(t.solutions), versPython(t.type2.solutions)));
            return py::object(versPython(t.solutions));
        },
        "The number of solutions; with type=\"both\", those of type 1 and of type 2, counted in one walk.", py::arg("n"), py::arg("fraction"), py::arg("type") = 1,
        py::arg("parity") = "any", py::arg("max") = py::none(), py::arg("prefix") = py::tuple(),
        py::arg("threads") = 0);
    m.def(
        "verify",
        [](int n, const py::object& f, std::int64_t unites, const py::object& type, const std::string& parite,
           const py::object& max, const py::iterable& prefixe, const py::object& graine, int threads) {
            const fu::Problem p = probleme(n, f, type, parite, max, prefixe);
            if (unites < 1)
                throw py::value_error("units must be at least 1");
            std::uint64_t s;
            if (graine.is_none()) {
                std::random_device alea;
                s = (static_cast<std::uint64_t>(alea()) << 32) ^ alea();
            } else {
                s = graine.cast<std::uint64_t>();
            }
            fu::CountOptions o;
            o.threads = threads;
            o.progress = [](const fu::Progress&) { return sansSignal(); };
            fu::Totals t;
            fu::Verification v;
            try {
                py::gil_scoped_release sans;
                t = fu::count(p, o);
                v = fu::verify(p, t, unites, s, threads);
            } catch (const fu::Error& e) {
                leve(e);
            }
            auto unite = [&](const fu::UnitResult& u) {
                py::dict d;
                d["solutions"] = u.solutions;
                d["fingerprint"] = u.fingerprint;
                if (p.type == fu::Problem::both) {
                    d["solutions2"] = u.solutions2;
                    d["fingerprint2"] = u.fingerprint2;
                }
                return d;
            };
            py::list ecarts;
            for (const fu::Verification::Difference& e : v.differences) {
                py::list prefixe;
                for (const NTL::ZZ& x : e.prefix)
                    prefixe.append(versPython(x));
                py::dict d;
                d["unit"] = e.unit;
                d["prefix"] = py::tuple(prefixe);
                d["count"] = unite(e.count);
                d["recount"] = unite(e.recount);
                ecarts.append(d);
            }
            py::dict r;
            r["solutions"] = versPython(t.solutions);
            r["fingerprint"] = t.fingerprint;
            if (p.type == fu::Problem::both) {
                r["solutions2"] = versPython(t.type2.solutions);
                r["fingerprint2"] = t.type2.fingerprint;
            }
            r["units"] = t.units;
            r["seed"] = v.seed;
            r["units_recounted"] = v.units;
            r["solutions_recounted"] = versPython(v.solutions);
            r["agree"] = v.agrees();
            r["differences"] = ecarts;
            return r;
        },
        "Counts, then recounts `units` work units drawn at random (with `seed`, random when None) by an "
        "independent search and compares their counts and fingerprints: a dict of the count, its fingerprint and "
        "the verification.",
        py::arg("n"), py::arg("fraction"), py::arg("units"), py::arg("type") = 1, py::arg("parity") = "any",
        py::arg("max") = py::none(), py::arg("prefix") = py::tuple(), py::arg("seed") = py::none(),
        py::arg("threads") = 0);
    py::class_<Solutions>(m, "Solutions")
        .def("__iter__", &Solutions::iter, py::return_value_policy::reference_internal)
        .def("__next__", &Solutions::next);
    m.def(
        "solutions",
        [](int n, const py::object& f, const py::object& type, const std::string& parite, const py::object& max,
           const py::iterable& prefixe, int threads) {
            try {
                return std::make_unique<Solutions>(probleme(n, f, type, parite, max, prefixe), threads);
            } catch (const fu::Error& e) {
                leve(e);
            }
        },
        "The solutions as tuples of ints, lazily, in the order of the interactive table.", py::arg("n"),
        py::arg("fraction"), py::arg("type") = 1, py::arg("parity") = "any", py::arg("max") = py::none(),
        py::arg("prefix") = py::tuple(), py::arg("threads") = 0);
    m.def(
        "estimate",
        [](int n, const py::object& f, const py::object& type, const std::string& parite, const py::object& max,
           const py::iterable& prefixe) {
            const fu::Problem p = probleme(n, f, type, parite, max, prefixe);
            std::string json;
            try {
                py::gil_scoped_release sans;
                json = fu::estimate_json(p);
            } catch (const fu::Error& e) {
                leve(e);
            }
            return py::module_::import("json").attr("loads")(json);
        },
        "An estimate of the count, as a dict (the JSON of fractions-compte --estimate --json).", py::arg("n"),
        py::arg("fraction"), py::arg("type") = 1, py::arg("parity") = "any", py::arg("max") = py::none(),
        py::arg("prefix") = py::tuple());
}
