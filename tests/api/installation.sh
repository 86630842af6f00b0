#!/usr/bin/env bash
# The library installed in a temporary prefix, and a program of a user's
# built against it from another folder with find_package: it counts, lists
# and estimates through the public header alone. Every symbol the library
# defines for others is in its namespace, and none is a front end's (the
# weak copies of library templates, std's and NTL's, are the compiler's).
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefixe" > /dev/null
nm -C --defined-only --extern-only "$work/prefixe/lib/libfractions.a" | grep -E ' [TDBRC] ' > "$work/symboles"
[ -s "$work/symboles" ] || { echo "no symbol read from the library"; exit 1; }
if grep -v ' fractions_unitaires::' "$work/symboles"; then
  echo "symbols outside the namespace fractions_unitaires"; exit 1
fi
if grep -E 'fractions_unitaires::(interactif|lot|console)::|CLI::' "$work/symboles"; then
  echo "a front end's symbols in the library"; exit 1
fi
mkdir "$work/app"
cat > "$work/app/CMakeLists.txt" <<'FIN'
cmake_minimum_required(VERSION 3.18)
project(app LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(FractionsUnitaires REQUIRED)
add_executable(app app.cpp)
target_link_libraries(app FractionsUnitaires::fractions)
FIN
cat > "$work/app/app.cpp" <<'FIN'
#include <fractions_unitaires.hpp>
#include <iostream>
namespace fu = fractions_unitaires;
int main()
{
    fu::Problem p = fu::problem(6, "1");
    std::cout << fu::count(p).solutions << "\n";
    p.type = 2;
    std::int64_t n = fu::list(p, [](const std::vector<NTL::ZZ>& x) { return x[0] >= 3; });
    std::cout << n << "\n";
    try {
        fu::count(fu::problem(3, "1/0"));
    } catch (const fu::Error& e) {
        std::cout << "Error: " << e.what() << "\n";
    }
    std::cout << (fu::estimate_json(fu::problem(5, "1")).find("\"solutions_estimate\"") != std::string::npos) << "\n";
    const fu::Estimate e = fu::estimate(fu::problem(2, "1/6"));
    std::cout << e.solutions.value << " " << fu::count(fu::problem(2, "1/6")).x1_min << "\n";
}
FIN
cmake -S "$work/app" -B "$work/app/build" -DCMAKE_PREFIX_PATH="$work/prefixe" > "$work/log" 2>&1 || { cat "$work/log"; exit 1; }
cmake --build "$work/app/build" > "$work/log" 2>&1 || { cat "$work/log"; exit 1; }
attendu=$'3462\n28\nError: P and Q must be positive: 1/0\n1\n5 7'
obtenu=$("$work/app/build/app")
[ "$obtenu" = "$attendu" ] || { echo "expected:"; echo "$attendu"; echo "got:"; echo "$obtenu"; exit 1; }
