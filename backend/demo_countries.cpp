#include "backend/demo_countries.h"

namespace corvane::backend {
namespace {

constexpr DemoCountry kCountries[] = {
    {"276", "Germany", "Frankfurt", "50.1109", "8.6821"},
    {"250", "France", "Paris", "48.8566", "2.3522"},
    {"826", "United Kingdom", "London", "51.5072", "-0.1276"},
    {"840", "United States", "New York", "40.7128", "-74.0060"},
    {"124", "Canada", "Toronto", "43.6532", "-79.3832"},
    {"528", "Netherlands", "Amsterdam", "52.3676", "4.9041"},
    {"752", "Sweden", "Stockholm", "59.3293", "18.0686"},
    {"756", "Switzerland", "Zurich", "47.3769", "8.5417"},
    {"392", "Japan", "Tokyo", "35.6762", "139.6503"},
    {"702", "Singapore", "Singapore", "1.3521", "103.8198"},
    {"036", "Australia", "Sydney", "-33.8688", "151.2093"},
    {"076", "Brazil", "Sao Paulo", "-23.5505", "-46.6333"},
    {"724", "Spain", "Madrid", "40.4168", "-3.7038"},
    {"380", "Italy", "Milan", "45.4642", "9.1900"},
    {"616", "Poland", "Warsaw", "52.2297", "21.0122"},
    {"578", "Norway", "Oslo", "59.9139", "10.7522"},
    {"208", "Denmark", "Copenhagen", "55.6761", "12.5683"},
    {"246", "Finland", "Helsinki", "60.1699", "24.9384"},
    {"372", "Ireland", "Dublin", "53.3498", "-6.2603"},
    {"344", "Hong Kong", "Hong Kong", "22.3193", "114.1694"},
    {"356", "India", "Mumbai", "19.0760", "72.8777"},
    {"484", "Mexico", "Mexico City", "19.4326", "-99.1332"},
    {"710", "South Africa", "Johannesburg", "-26.2041", "28.0473"},
    {"792", "Turkey", "Istanbul", "41.0082", "28.9784"},
    {"8", "Albania", "Tirana", "41.3275", "19.8187"},
};

}  // namespace

std::span<const DemoCountry> demoCountries() { return kCountries; }

}  // namespace corvane::backend
