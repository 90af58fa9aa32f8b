// The extension module behind the maxnpv Python package: a thin layer over
// the C++ library of include/maxnpv. It converts Python values to the
// library's types and back and releases the GIL while a solve runs; every
// check of a caller's values that needs Python types is done in the
// package's __init__.py, every other one by the library, which answers with
// a status and its reason. Nothing here solves anything itself.
//
// Numbering: the library numbers activities from 1 in successor entries and
// tree arcs; this module hands out 0-based indices throughout.
//
// Resources: a network carries its capacities and each activity's demands as
// the library does; options.resources solves under them, and the result's
// bound, gap and nodes come back with the schedule (if a limit left one).
//
// Ctrl-C: Python only notes a signal in its C handler and runs the Python
// handler (which raises KeyboardInterrupt) when the interpreter next looks,
// which it cannot do while a solve holds the thread without the GIL. So a
// solve on the main thread gets the library's stop hook: now and then it
// takes the GIL for a moment and lets Python run its handlers; an exception
// one of them raises ends the solve, and is raised once the solve is over
// and the GIL held again. The library leaves nothing half changed by such a
// stop, and every call here uses a solver of its own. A progress callback of
// the resource search runs the same way: with the GIL taken for the call,
// and an exception it raises stops the solve (on any thread) and is raised
// once the solve is over.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "network/resourceuse.h"

namespace py = pybind11;

namespace {

// One successor entry with 0-based activity indices: (from, to, bound code,
// type code, lag), the codes as in a .gpr file.
using flatentry = std::tuple<int, int, int, int, int>;

// A network as the library holds it, immutable once built, so that solves
// on several threads may share it.
struct netholder {
    maxnpv::network net; // durations, successor entries (successors numbered from 1),
                         // capacities and demands
};

// The package checked the values and the shapes: demands is empty or holds a
// row of one value per capacity for every activity.
netholder makenetwork(const std::vector<int> &durations, const std::vector<flatentry> &entries,
                      const std::vector<int> &capacities,
                      const std::vector<std::vector<int>> &demands) {
    netholder h;
    h.net.durations = durations;
    h.net.capacities = capacities;
    h.net.demands = demands;
    h.net.entries.assign(durations.size(), {});
    for (const flatentry &e : entries) {
        const int from = std::get<0>(e);
        // The package checked the indices; an entry outside the network is
        // dropped here rather than written outside the lists.
        if (from < 0 || from >= (int)durations.size()) continue;
        maxnpv::entry x;
        x.successor = std::get<1>(e) + 1;
        x.bound = std::get<2>(e);
        x.type = std::get<3>(e);
        x.lag = std::get<4>(e);
        h.net.entries[from].push_back(x);
    }
    return h;
}

std::vector<flatentry> entriesof(const netholder &h) {
    std::vector<flatentry> out;
    for (size_t i = 0; i < h.net.entries.size(); i++)
        for (const maxnpv::entry &e : h.net.entries[i])
            out.emplace_back((int)i, e.successor - 1, e.bound, e.type, e.lag);
    return out;
}

// The capacities as an int64 array of shape (K,).
py::array_t<int64_t> capacitiesof(const netholder &h) {
    const std::vector<int> &c = h.net.capacities;
    py::array_t<int64_t> out((py::ssize_t)c.size());
    for (size_t k = 0; k < c.size(); k++) out.mutable_data()[k] = c[k];
    return out;
}

// The demands as an int64 array of shape (n, K): a row per activity, 0 where
// the network has no row or an empty one.
py::array_t<int64_t> demandsof(const netholder &h) {
    const size_t n = h.net.durations.size(), nrres = h.net.capacities.size();
    py::array_t<int64_t> out({(py::ssize_t)n, (py::ssize_t)nrres});
    int64_t *at = out.mutable_data();
    for (size_t i = 0; i < n; i++)
        for (size_t k = 0; k < nrres; k++) {
            const bool known = i < h.net.demands.size() && k < h.net.demands[i].size();
            *at++ = known ? h.net.demands[i][k] : 0;
        }
    return out;
}

// The library's format of a name: "automatic", "gpr", "sch", "sm", "rcp".
maxnpv::format formatnamed(const std::string &name) {
    if (name == "gpr") return maxnpv::format::gpr;
    if (name == "sch") return maxnpv::format::sch;
    if (name == "sm") return maxnpv::format::sm;
    if (name == "rcp") return maxnpv::format::rcp;
    return maxnpv::format::automatic;
}

// (status name, reason, network or None).
py::tuple readresult(maxnpv::status s, const std::string &reason, netholder &&h) {
    if (s != maxnpv::status::solved)
        return py::make_tuple(maxnpv::statusname(s), reason, py::none());
    return py::make_tuple(maxnpv::statusname(s), reason, py::cast(std::move(h)));
}

py::tuple readfile(const std::string &path, const std::string &fmt, int maxactivities) {
    netholder h;
    std::string reason;
    maxnpv::status s;
    {
        py::gil_scoped_release unlocked;
        s = maxnpv::readnetwork(path, &h.net, &reason, maxactivities, formatnamed(fmt));
    }
    return readresult(s, reason, std::move(h));
}

py::tuple parsetext(const std::string &text, const std::string &fmt, int maxactivities) {
    netholder h;
    std::string reason;
    maxnpv::status s;
    {
        py::gil_scoped_release unlocked;
        s = maxnpv::parsenetwork(text, &h.net, &reason, maxactivities, formatnamed(fmt));
    }
    return readresult(s, reason, std::move(h));
}

py::array_t<double> asarray(const std::vector<double> &v) {
    py::array_t<double> a((py::ssize_t)v.size());
    double *out = a.mutable_data();
    for (size_t i = 0; i < v.size(); i++) out[i] = v[i];
    return a;
}

py::array_t<double> drawn(const netholder &h, int pctneg) {
    return asarray(maxnpv::randomcashflows(h.net, pctneg));
}

py::array_t<double> seeded(const netholder &h, int pctneg, unsigned long long seed,
                           const std::string &name) {
    return asarray(maxnpv::seededcashflows(h.net, pctneg, seed, name));
}

// The exception that a Python signal handler or a progress callback raised
// during a solve, caught by the hooks of hook() and reporter() and raised
// again by raise().
class interruption {
  public:
    // The stop hook for a solve on this thread: it answers true once the
    // progress callback has raised, and on Python's main thread, the only
    // one on which Python runs signal handlers, also when a handler raised.
    // Empty when there is nothing to ask (asking from another thread would
    // take the GIL for nothing).
    std::function<bool()> hook(bool mainthread, bool watched) {
        if (!mainthread && !watched) return {};
        return [this, mainthread]() {
            if (caught) return true;
            if (!mainthread) return false;
            py::gil_scoped_acquire held;
            if (PyErr_CheckSignals() == 0) return false;
            caught = std::make_unique<py::error_already_set>(); // takes the exception over
            return true;
        };
    }
    // The library's search progress as calls of callback(nodes, npv, bound)
    // with the GIL taken; empty for None. Once a call has raised, no more
    // are made and the stop hook ends the solve. Call with the GIL held; the
    // callback is kept here, so that the library's copies of the hook,
    // made without the GIL, copy no Python reference.
    std::function<void(long long, double, double)> reporter(const py::object &callback) {
        if (callback.is_none()) return {};
        told = callback;
        return [this](long long nodes, double npv, double bound) {
            if (caught) return;
            py::gil_scoped_acquire held;
            try {
                told(nodes, npv, bound);
            } catch (py::error_already_set &e) {
                caught = std::make_unique<py::error_already_set>(std::move(e));
            } catch (const std::exception &e) {
                // Nothing may leave the library's hook: a C++ failure of the
                // call (memory, say) becomes the Python exception raised.
                PyErr_SetString(PyExc_RuntimeError, e.what());
                caught = std::make_unique<py::error_already_set>();
            }
        };
    }
    // Raises the caught exception, if any. Call with the GIL held.
    void raise() const {
        if (caught) throw *caught;
    }

  private:
    std::unique_ptr<py::error_already_set> caught; // what a handler or callback raised, or null
    py::object told;                               // the progress callback, or None
};

// The options given as a dict of the library's option names.
maxnpv::options optionsof(const py::dict &given) {
    maxnpv::options opt;
    opt.interest = given["interest"].cast<double>();
    opt.absolute = given["absolute"].cast<bool>();
    opt.deadline = given["deadline"].cast<long long>();
    opt.slack = given["slack"].cast<long long>();
    opt.deadlinefactor = given["deadlinefactor"].cast<double>();
    opt.boundall = given["boundall"].cast<bool>();
    opt.method = given["method"].cast<std::string>() == "classic" ? maxnpv::method::classic
                                                                  : maxnpv::method::fast;
    opt.timelimit = given["timelimit"].cast<double>();
    opt.maxpasses = given["maxpasses"].cast<long long>();
    opt.maxactivities = given["maxactivities"].cast<int>();
    opt.resources = given["resources"].cast<bool>();
    opt.maxnodes = given["maxnodes"].cast<long long>();
    return opt;
}

// Whether r carries a schedule: solved, or ended by a limit after the search
// began (a sweep's points that a stop left unsolved have none).
bool hasschedule(const maxnpv::result &r) {
    return (r.status == maxnpv::status::solved || r.status == maxnpv::status::limit) &&
           !r.start.empty();
}

// The first m of the library's arcs (numbered from 1) as an int64 array of
// 0-based (from, to) rows, shape (m, 2).
py::array_t<int64_t> arcsof(const std::vector<std::pair<int, int>> &arcs, size_t m) {
    py::array_t<int64_t> out({(py::ssize_t)m, (py::ssize_t)2});
    int64_t *at = out.mutable_data();
    for (size_t k = 0; k < m; k++) *at++ = arcs[k].first - 1, *at++ = arcs[k].second - 1;
    return out;
}

// The first m values of v as an array of T; entries v lacks are filler.
template <typename T, typename U>
py::array_t<T> firstof(const std::vector<U> &v, size_t m, T filler) {
    py::array_t<T> out((py::ssize_t)m);
    T *at = out.mutable_data();
    for (size_t k = 0; k < m; k++) at[k] = k < v.size() ? (T)v[k] : filler;
    return out;
}

// Each resource's peak use by the schedule r holds, activities postponed
// without limit left out (they start nowhere).
py::array_t<int64_t> peakof(const netholder &h, const maxnpv::result &r) {
    const size_t n = r.start.size(), nrres = h.net.capacities.size();
    std::vector<int64_t> start(r.start.begin(), r.start.end()), dur(n, 0);
    std::vector<int> demand(n * nrres, 0);
    std::vector<char> leftout(n, 0);
    for (size_t i = 0; i < n; i++) {
        dur[i] = i < h.net.durations.size() ? h.net.durations[i] : 0;
        leftout[i] = i < r.unbounded.size() && r.unbounded[i];
        if (i < h.net.demands.size() && h.net.demands[i].size() == nrres)
            std::copy(h.net.demands[i].begin(), h.net.demands[i].end(),
                      demand.begin() + (std::ptrdiff_t)(i * nrres));
    }
    gpr::resourceuse use;
    gpr::measureuse(h.net.capacities, demand, start, dur, &leftout, false, &use);
    return firstof<int64_t>(use.peak, nrres, 0);
}

// Solves h for cashflows under the options given as a dict of the
// library's option names; returns the result as a dict of Python values,
// with the wall time of the solve in seconds. progress (None or a callable)
// hears the resource search's nodes, npv and bound. Raises what a signal
// handler or progress raised during the solve (KeyboardInterrupt, say).
py::dict solve(const netholder &h, const std::vector<double> &cashflows, const py::dict &given,
               const py::object &progress) {
    maxnpv::options opt = optionsof(given);
    interruption stop;
    opt.searchprogress = stop.reporter(progress);
    opt.stop = stop.hook(given["interruptible"].cast<bool>(), !progress.is_none());
    maxnpv::result r;
    double seconds;
    {
        py::gil_scoped_release unlocked;
        const auto began = std::chrono::steady_clock::now();
        r = maxnpv::solver().solve(h.net, cashflows, opt);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    }
    stop.raise();
    const bool scheduled = hasschedule(r);
    const size_t n = scheduled ? r.start.size() : 0;
    py::array_t<int64_t> start((py::ssize_t)n);
    py::array_t<bool> unbounded((py::ssize_t)n);
    py::array_t<double> discounted((py::ssize_t)n);
    for (size_t i = 0; i < n; i++) {
        start.mutable_data()[i] = r.start[i];
        unbounded.mutable_data()[i] = r.unbounded[i];
        discounted.mutable_data()[i] = r.discounted[i];
    }
    const size_t m = scheduled ? r.tree.size() : 0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    py::dict out;
    out["status"] = maxnpv::statusname(r.status);
    out["reason"] = r.reason;
    out["npv"] = r.npv;
    out["method"] = maxnpv::methodname(r.method);
    out["passes"] = r.passes;
    out["hasdeadline"] = r.hasdeadline;
    out["deadline"] = r.deadline;
    out["criticalpath"] = r.criticalpath;
    out["scheduled"] = scheduled;
    out["start"] = start;
    out["unbounded"] = unbounded;
    out["discounted"] = discounted;
    out["tree"] = arcsof(r.tree, m);
    out["treelag"] = firstof<int64_t>(r.treelag, m, 0);
    out["multiplier"] = firstof(r.multiplier, m, nan);
    const bool whole = r.postponedlag.size() == r.postponedtree.size() &&
                       r.postponedvalue.size() == r.postponedtree.size();
    const size_t p = scheduled && whole ? r.postponedtree.size() : 0;
    out["postponedtree"] = arcsof(r.postponedtree, p);
    out["postponedlag"] = firstof<int64_t>(r.postponedlag, p, 0);
    out["postponedvalue"] = firstof(r.postponedvalue, p, nan);
    out["bound"] = r.bound;
    out["gap"] = r.gap;
    out["nodes"] = r.nodes;
    out["peak"] = opt.resources && scheduled ? py::object(peakof(h, r)) : py::object(py::none());
    out["seconds"] = seconds;
    return out;
}

// The status of a name as statusname gives it; invalid for any other.
maxnpv::status statusnamed(const std::string &name) {
    const maxnpv::status all[] = {maxnpv::status::solved,     maxnpv::status::notfound,
                                  maxnpv::status::toomany,    maxnpv::status::invalid,
                                  maxnpv::status::infeasible, maxnpv::status::notconnected,
                                  maxnpv::status::limit};
    for (maxnpv::status s : all)
        if (name == maxnpv::statusname(s)) return s;
    return maxnpv::status::invalid;
}

// The library's arcs numbered from 1 of 0-based (from, to) pairs.
std::vector<std::pair<int, int>> arcsfrom(const std::vector<std::pair<int, int>> &given) {
    std::vector<std::pair<int, int>> out;
    out.reserve(given.size());
    for (const std::pair<int, int> &a : given) out.emplace_back(a.first + 1, a.second + 1);
    return out;
}

// Checks the certificate of a result given as a dict of the library's
// result fields (arcs 0-based) against h, for the cash flows, interest rate
// and bound_all of its solve and its absolute deadline, and with resources
// the network's resources too; alone: its schedule only (checkschedule).
// Returns (verdict, reason), the verdict "optimal", "feasible" or
// "rejected"; the reason numbers activities from 0.
py::tuple verify(const netholder &h, const std::vector<double> &cashflows, double interest,
                 bool boundall, bool resources, bool alone, const py::dict &given) {
    maxnpv::result r;
    r.status = statusnamed(given["status"].cast<std::string>());
    r.hasschedule = given["hasschedule"].cast<bool>();
    r.npv = given["npv"].cast<double>();
    r.hasdeadline = given["hasdeadline"].cast<bool>();
    r.deadline = given["deadline"].cast<long long>();
    r.criticalpath = given["criticalpath"].cast<long long>();
    r.start = given["start"].cast<std::vector<long long>>();
    r.unbounded = given["unbounded"].cast<std::vector<bool>>();
    r.discounted = given["discounted"].cast<std::vector<double>>();
    r.tree = arcsfrom(given["tree"].cast<std::vector<std::pair<int, int>>>());
    r.treelag = given["treelag"].cast<std::vector<long long>>();
    r.multiplier = given["multiplier"].cast<std::vector<double>>();
    r.postponedtree = arcsfrom(given["postponedtree"].cast<std::vector<std::pair<int, int>>>());
    r.postponedlag = given["postponedlag"].cast<std::vector<long long>>();
    r.postponedvalue = given["postponedvalue"].cast<std::vector<double>>();
    maxnpv::options opt;
    opt.interest = interest;
    opt.boundall = boundall;
    opt.absolute = true;
    opt.deadline = r.deadline;
    opt.resources = resources;
    std::string reason;
    maxnpv::verdict v;
    {
        py::gil_scoped_release unlocked;
        v = alone ? maxnpv::checkschedule(h.net, cashflows, opt, r, &reason, 0)
                  : maxnpv::verify(h.net, cashflows, opt, r, &reason, 0);
    }
    const char *name = v == maxnpv::verdict::optimal    ? "optimal"
                       : v == maxnpv::verdict::feasible ? "feasible"
                                                        : "rejected";
    return py::make_tuple(name, reason);
}

// Solves h at every point of the grid (slacks, or absolute deadlines when
// absolute, times interest rates) as the library's sweep does; returns the
// points in its order as a dict of arrays and lists: deadline (absolute,
// nodeadline where not known), interest, status, reason, npv (NaN without a
// schedule), passes, seconds. Raises what a signal handler raised during the
// sweep (KeyboardInterrupt).
py::dict sweep(const netholder &h, const std::vector<double> &cashflows, const py::dict &given,
               const std::vector<long long> &deadlines, bool absolute,
               const std::vector<double> &interests, long long nodeadline) {
    maxnpv::options opt = optionsof(given);
    interruption stop;
    opt.stop = stop.hook(given["interruptible"].cast<bool>(), false);
    maxnpv::sweepgrid grid;
    grid.deadlines = deadlines;
    grid.absolute = absolute;
    grid.interests = interests;
    std::vector<maxnpv::sweeppoint> points;
    {
        py::gil_scoped_release unlocked;
        points = maxnpv::sweep(h.net, cashflows, opt, grid);
    }
    stop.raise();
    const py::ssize_t n = (py::ssize_t)points.size();
    py::array_t<int64_t> deadline(n), passes(n);
    py::array_t<double> interest(n), npv(n), seconds(n);
    py::list status, reason;
    for (py::ssize_t k = 0; k < n; k++) {
        const maxnpv::sweeppoint &p = points[(size_t)k];
        const maxnpv::result &r = p.outcome;
        const bool scheduled = hasschedule(r);
        deadline.mutable_data()[k] = r.hasdeadline ? r.deadline
                                     : absolute    ? p.deadline
                                                   : nodeadline;
        interest.mutable_data()[k] = p.interest;
        npv.mutable_data()[k] = scheduled ? r.npv : std::numeric_limits<double>::quiet_NaN();
        passes.mutable_data()[k] = r.passes;
        seconds.mutable_data()[k] = p.seconds;
        status.append(maxnpv::statusname(r.status));
        reason.append(r.reason);
    }
    py::dict out;
    out["deadline"] = deadline;
    out["interest"] = interest;
    out["status"] = status;
    out["reason"] = reason;
    out["npv"] = npv;
    out["passes"] = passes;
    out["seconds"] = seconds;
    return out;
}

} // namespace

PYBIND11_MODULE(_maxnpv, m) {
    m.doc() = "The C++ library of maxnpv; use the maxnpv package instead.";
    py::class_<netholder>(m, "Net")
        .def(py::init(&makenetwork), py::arg("durations"), py::arg("entries"),
             py::arg("capacities"), py::arg("demands"))
        .def("durations", [](const netholder &h) { return h.net.durations; })
        .def("capacities", &capacitiesof)
        .def("demands", &demandsof)
        .def("entries", &entriesof)
        .def("__len__", [](const netholder &h) { return h.net.durations.size(); });
    m.def("read", &readfile, py::arg("path"), py::arg("format"), py::arg("maxactivities"));
    m.def("parse", &parsetext, py::arg("text"), py::arg("format"), py::arg("maxactivities"));
    m.def("random_cashflows", &drawn, py::arg("net"), py::arg("pctneg"));
    m.def("seeded_cashflows", &seeded, py::arg("net"), py::arg("pctneg"), py::arg("seed"),
          py::arg("name"));
    m.def("solve", &solve, py::arg("net"), py::arg("cashflows"), py::arg("options"),
          py::arg("progress"));
    m.def("verify", &verify, py::arg("net"), py::arg("cashflows"), py::arg("interest"),
          py::arg("boundall"), py::arg("resources"), py::arg("alone"), py::arg("result"));
    m.def("sweep", &sweep, py::arg("net"), py::arg("cashflows"), py::arg("options"),
          py::arg("deadlines"), py::arg("absolute"), py::arg("interests"), py::arg("nodeadline"));
    m.def("instance_name", &gpr::instancename, py::arg("path"));
}
