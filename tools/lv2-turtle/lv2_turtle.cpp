// sorvane-lv2-turtle PRODUCT FOLDER: writes the Turtle files of a product's
// LV2 bundle (manifest.ttl, the plug-in's description, the factory
// programs as presets) from the product tables and the units model, so the
// ports, their ranges, scale points and defaults can never disagree with
// what the plug-in reads. Run by the build; the files are never edited.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "formats/common/unit_values.h"
#include "formats/lv2/identity.h"
#include "presets/preset_files.h"

namespace {

using sorvane::formats::PortKind;
using sorvane::lv2::Identity;

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A Turtle number that reads back as the same float: nine significant
// digits, always with a point (an xsd:decimal) or an exponent (an xsd:double).
std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  std::string s = text;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

// A Turtle string: quotes and backslashes escaped, UTF-8 kept as it is.
std::string quoted(const std::string& text) {
  std::string s = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') s += '\\';
    s += c;
  }
  return s + "\"";
}

std::string symbolOf(const char* name) {
  char symbol[64];
  sorvane::formats::portSymbol(name, symbol, sizeof symbol);
  return symbol;
}

std::string presetUri(const char* pluginUri, int program) {
  return std::string(pluginUri) + "/presets/" + std::to_string(program + 1);
}

// The parameter values program `program` starts with, as the bank stores them.
template <class Product>
float factoryValue(int program, int index) {
  return static_cast<float>(Product::presets().factoryPrograms[program].values[index]);
}

template <class Product>
std::string manifest() {
  using Id = Identity<Product>;
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << Id::kUri << ">\n  a lv2:Plugin ;\n  lv2:binary <" << Id::kBinary << "> ;\n  rdfs:seeAlso <"
      << Id::kDescription << "> .\n";
  // The panel lives in the plug-in's library and reaches its instance
  // directly: hosts that keep the plug-in in another process cannot show it.
  out << "\n<" << Id::kUiUri << ">\n  a ui:X11UI ;\n  ui:binary <" << Id::kBinary
      << "> ;\n  lv2:requiredFeature ui:parent , ui:idleInterface , <http://lv2plug.in/ns/ext/instance-access> ;\n"
      << "  lv2:optionalFeature ui:resize , ui:touch , opts:options , urid:map ;\n"
      << "  opts:supportedOption ui:scaleFactor ;\n"
      << "  lv2:extensionData ui:idleInterface , opts:interface .\n";
  for (int p = 0; p < sorvane::kProgramCount; ++p)
    out << "\n<" << presetUri(Id::kUri, p) << ">\n  a pset:Preset ;\n  lv2:appliesTo <" << Id::kUri
        << "> ;\n  rdfs:seeAlso <presets.ttl> .\n";
  return out.str();
}

template <class Product>
std::string description() {
  using Id = Identity<Product>;
  const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << Id::kUri << "#in>\n  a pg:StereoGroup , pg:InputGroup ;\n  lv2:symbol \"in\" ;\n"
      << "  rdfs:label \"Input\" .\n\n";
  out << "<" << Id::kUri << "#out>\n  a pg:StereoGroup , pg:OutputGroup ;\n  lv2:symbol \"out\" ;\n"
      << "  rdfs:label \"Output\" ;\n  pg:source <" << Id::kUri << "#in> .\n\n";
  out << "<" << Id::kUri << ">\n  a lv2:Plugin , lv2:EQPlugin , doap:Project ;\n  doap:name "
      << quoted(Product::kEffectName) << " ;\n  doap:maintainer [\n    foaf:name \"Sorvane\" ;\n    foaf:homepage <"
      << sorvane::kMakerWebSite << ">\n  ] ;\n  lv2:minorVersion 0 ;\n  lv2:microVersion 0 ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
      << "  lv2:extensionData state:interface ;\n  ui:ui <" << Id::kUiUri << "> ;\n"
      << "  pg:mainInput <" << Id::kUri << "#in> ;\n  pg:mainOutput <" << Id::kUri << "#out> ;\n  lv2:port";
  for (int i = 0; i < Product::kParameterCount; ++i) {
    const auto range = sorvane::formats::controlPortRange(units, i);
    if (!range) throw std::runtime_error(std::string("no port for parameter ") + Product::kParameters[i].name);
    const char* name = Product::kParameters[i].name;
    out << (i ? " , [\n" : " [\n") << "    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << i
        << " ;\n    lv2:symbol " << quoted(symbolOf(name)) << " ;\n    lv2:name " << quoted(name)
        << " ;\n    lv2:default " << number(sorvane::formats::portValueOf(units, i, factoryValue<Product>(0, i)))
        << " ;\n    lv2:minimum " << number(range->minimum) << " ;\n    lv2:maximum " << number(range->maximum);
    switch (range->kind) {
      case PortKind::Decibels:
        out << " ;\n    units:unit units:db";
        break;
      case PortKind::Enumeration:
        out << " ;\n    lv2:portProperty lv2:integer , lv2:enumeration";
        break;
      case PortKind::Toggle:
        out << " ;\n    lv2:portProperty lv2:toggled";
        break;
    }
    const int positions = range->kind == PortKind::Decibels ? 0 : units.positionCount(i);
    for (int position = 0; position < positions; ++position) {
      char text[sorvane::kValueTextCapacity];
      units.positionText(i, position, text);
      out << (position ? " , [\n" : " ;\n    lv2:scalePoint [\n") << "      rdfs:label " << quoted(text)
          << " ;\n      rdf:value " << number(static_cast<float>(position)) << "\n    ]";
    }
    out << "\n  ]";
  }
  const char* audio[] = {"in_l", "In L", "in_r", "In R", "out_l", "Out L", "out_r", "Out R"};
  for (int a = 0; a < sorvane::lv2::kAudioPortCount; ++a) {
    const bool input = a < 2;
    out << " , [\n    a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n    lv2:index "
        << Product::kParameterCount + a << " ;\n    lv2:symbol " << quoted(audio[2 * a]) << " ;\n    lv2:name "
        << quoted(audio[2 * a + 1]) << " ;\n    pg:group <" << Id::kUri << (input ? "#in" : "#out")
        << "> ;\n    lv2:designation " << (a % 2 ? "pg:right" : "pg:left") << "\n  ]";
  }
  out << " .\n";
  return out.str();
}

template <class Product>
std::string presets() {
  using Id = Identity<Product>;
  const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
  std::ostringstream out;
  out << kPrefixes;
  for (int p = 0; p < sorvane::kProgramCount; ++p) {
    out << "<" << presetUri(Id::kUri, p) << ">\n  a pset:Preset ;\n  lv2:appliesTo <" << Id::kUri
        << "> ;\n  rdfs:label " << quoted(Product::presets().factoryPrograms[p].name) << " ;\n  lv2:port";
    for (int i = 0; i < Product::kParameterCount; ++i)
      out << (i ? " , [\n" : " [\n") << "    lv2:symbol " << quoted(symbolOf(Product::kParameters[i].name))
          << " ;\n    pset:value " << number(sorvane::formats::portValueOf(units, i, factoryValue<Product>(p, i)))
          << "\n  ]";
    out << " .\n\n";
  }
  return out.str();
}

bool write(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) std::cerr << "sorvane-lv2-turtle: cannot write " << path << "\n";
  return static_cast<bool>(file);
}

template <class Product>
int writeBundle(const std::string& folder) {
  const std::string base = folder + "/";
  const bool ok = write(base + "manifest.ttl", manifest<Product>()) &&
                  write(base + Identity<Product>::kDescription, description<Product>()) &&
                  write(base + "presets.ttl", presets<Product>());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: sorvane-lv2-turtle Tessaro|Pallido FOLDER\n";
    return 2;
  }
  const std::string product = argv[1];
  try {
    if (product == "Tessaro") return writeBundle<tessaro::Product>(argv[2]);
    if (product == "Pallido") return writeBundle<pallido::Product>(argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "sorvane-lv2-turtle: " << e.what() << "\n";
    return 1;
  }
  std::cerr << "sorvane-lv2-turtle: no product " << product << "\n";
  return 2;
}
