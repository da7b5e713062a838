#include "dialogs/TimeZones.h"

#include <span>

namespace qmzones {
namespace {

// The zones the monitors know, area by area in the order the tree shows them. A name with "/"
// lies in a sub-area, whose node stands where its first zone stands.
const char* const kAfrica[] = {
    "Abidjan",       "Accra",        "Addis_Ababa", "Algiers",  "Asmara",     "Asmera",
    "Bamako",        "Bangui",       "Banjul",      "Bissau",   "Blantyre",   "Brazzaville",
    "Bujumbura",     "Cairo",        "Casablanca",  "Ceuta",    "Conakry",    "Dakar",
    "Dar_es_Salaam", "Djibouti",     "Douala",      "El_Aaiun", "Freetown",   "Gaborone",
    "Harare",        "Johannesburg", "Juba",        "Kampala",  "Khartoum",   "Kigali",
    "Kinshasa",      "Lagos",        "Libreville",  "Lome",     "Luanda",     "Lubumbashi",
    "Lusaka",        "Malabo",       "Maputo",      "Maseru",   "Mbabane",    "Mogadishu",
    "Monrovia",      "Nairobi",      "Ndjamena",    "Niamey",   "Nouakchott", "Ouagadougou",
    "Porto-Novo",    "Sao_Tome",     "Timbuktu",    "Tripoli",  "Tunis",      "Windhoek"};
const char* const kAmerica[] = {"Adak",
                                "Anchorage",
                                "Anguilla",
                                "Antigua",
                                "Araguaina",
                                "Argentina/Buenos_Aires",
                                "Argentina/Catamarca",
                                "Argentina/ComodRivadavia",
                                "Argentina/Cordoba",
                                "Argentina/Jujuy",
                                "Argentina/La_Rioja",
                                "Argentina/Mendoza",
                                "Argentina/Rio_Gallegos",
                                "Argentina/Salta",
                                "Argentina/San_Juan",
                                "Argentina/San_Luis",
                                "Argentina/Tucuman",
                                "Argentina/Ushuaia",
                                "Aruba",
                                "Asuncion",
                                "Atikokan",
                                "Atka",
                                "Bahia",
                                "Bahia_Banderas",
                                "Barbados",
                                "Belem",
                                "Belize",
                                "Blanc-Sablon",
                                "Boa_Vista",
                                "Bogota",
                                "Boise",
                                "Buenos_Aires",
                                "Cambridge_Bay",
                                "Campo_Grande",
                                "Cancun",
                                "Caracas",
                                "Catamarca",
                                "Cayenne",
                                "Cayman",
                                "Chicago",
                                "Chihuahua",
                                "Coral_Harbour",
                                "Cordoba",
                                "Costa_Rica",
                                "Creston",
                                "Cuiaba",
                                "Curacao",
                                "Danmarkshavn",
                                "Dawson",
                                "Dawson_Creek",
                                "Denver",
                                "Detroit",
                                "Dominica",
                                "Edmonton",
                                "Eirunepe",
                                "El_Salvador",
                                "Ensenada",
                                "Fortaleza",
                                "Fort_Nelson",
                                "Fort_Wayne",
                                "Glace_Bay",
                                "Godthab",
                                "Goose_Bay",
                                "Grand_Turk",
                                "Grenada",
                                "Guadeloupe",
                                "Guatemala",
                                "Guayaquil",
                                "Guyana",
                                "Halifax",
                                "Havana",
                                "Hermosillo",
                                "Indiana/Indianapolis",
                                "Indiana/Knox",
                                "Indiana/Marengo",
                                "Indiana/Petersburg",
                                "Indiana/Tell_City",
                                "Indiana/Vevay",
                                "Indiana/Vincennes",
                                "Indiana/Winamac",
                                "Indianapolis",
                                "Inuvik",
                                "Iqaluit",
                                "Jamaica",
                                "Jujuy",
                                "Juneau",
                                "Kentucky/Louisville",
                                "Kentucky/Monticello",
                                "Knox_IN",
                                "Kralendijk",
                                "La_Paz",
                                "Lima",
                                "Los_Angeles",
                                "Louisville",
                                "Lower_Princes",
                                "Maceio",
                                "Managua",
                                "Manaus",
                                "Marigot",
                                "Martinique",
                                "Matamoros",
                                "Mazatlan",
                                "Mendoza",
                                "Menominee",
                                "Merida",
                                "Metlakatla",
                                "Mexico_City",
                                "Miquelon",
                                "Moncton",
                                "Monterrey",
                                "Montevideo",
                                "Montreal",
                                "Montserrat",
                                "Nassau",
                                "New_York",
                                "Nipigon",
                                "Nome",
                                "Noronha",
                                "North_Dakota/Beulah",
                                "North_Dakota/Center",
                                "North_Dakota/New_Salem",
                                "Ojinaga",
                                "Panama",
                                "Pangnirtung",
                                "Paramaribo",
                                "Phoenix",
                                "Port-au-Prince",
                                "Porto_Acre",
                                "Port_of_Spain",
                                "Porto_Velho",
                                "Puerto_Rico",
                                "Rainy_River",
                                "Rankin_Inlet",
                                "Recife",
                                "Regina",
                                "Resolute",
                                "Rio_Branco",
                                "Rosario",
                                "Santa_Isabel",
                                "Santarem",
                                "Santiago",
                                "Santo_Domingo",
                                "Sao_Paulo",
                                "Scoresbysund",
                                "Shiprock",
                                "Sitka",
                                "St_Barthelemy",
                                "St_Johns",
                                "St_Kitts",
                                "St_Lucia",
                                "St_Thomas",
                                "St_Vincent",
                                "Swift_Current",
                                "Tegucigalpa",
                                "Thule",
                                "Thunder_Bay",
                                "Tijuana",
                                "Toronto",
                                "Tortola",
                                "Vancouver",
                                "Virgin",
                                "Whitehorse",
                                "Winnipeg",
                                "Yakutat",
                                "Yellowknife"};
const char* const kAntarctica[] = {"Casey",      "Davis",   "DumontDUrville", "Macquarie",
                                   "Mawson",     "McMurdo", "Palmer",         "Rothera",
                                   "South_Pole", "Syowa",   "Troll",          "Vostok"};
const char* const kArctic[] = {"Longyearbyen"};
const char* const kAsia[] = {
    "Aden",         "Almaty",        "Amman",       "Anadyr",        "Aqtau",        "Aqtobe",
    "Ashgabat",     "Ashkhabad",     "Baghdad",     "Bahrain",       "Baku",         "Bangkok",
    "Barnaul",      "Beirut",        "Bishkek",     "Brunei",        "Calcutta",     "Chita",
    "Choibalsan",   "Chongqing",     "Chungking",   "Colombo",       "Dacca",        "Damascus",
    "Dhaka",        "Dili",          "Dubai",       "Dushanbe",      "Gaza",         "Harbin",
    "Hebron",       "Ho_Chi_Minh",   "Hong_Kong",   "Hovd",          "Irkutsk",      "Istanbul",
    "Jakarta",      "Jayapura",      "Jerusalem",   "Kabul",         "Kamchatka",    "Karachi",
    "Kashgar",      "Kathmandu",     "Katmandu",    "Khandyga",      "Kolkata",      "Krasnoyarsk",
    "Kuala_Lumpur", "Kuching",       "Kuwait",      "Macao",         "Macau",        "Magadan",
    "Makassar",     "Manila",        "Muscat",      "Nicosia",       "Novokuznetsk", "Novosibirsk",
    "Omsk",         "Oral",          "Phnom_Penh",  "Pontianak",     "Pyongyang",    "Qatar",
    "Qyzylorda",    "Rangoon",       "Riyadh",      "Saigon",        "Sakhalin",     "Samarkand",
    "Seoul",        "Shanghai",      "Singapore",   "Srednekolymsk", "Taipei",       "Tashkent",
    "Tbilisi",      "Tehran",        "Tel_Aviv",    "Thimbu",        "Thimphu",      "Tokyo",
    "Tomsk",        "Ujung_Pandang", "Ulaanbaatar", "Ulan_Bator",    "Urumqi",       "Ust-Nera",
    "Vientiane",    "Vladivostok",   "Yakutsk",     "Yekaterinburg", "Yerevan"};
const char* const kAtlantic[] = {"Azores",    "Bermuda",       "Canary",    "Cape_Verde",
                                 "Faeroe",    "Faroe",         "Jan_Mayen", "Madeira",
                                 "Reykjavik", "South_Georgia", "Stanley",   "St_Helena"};
const char* const kAustralia[] = {"Adelaide",  "Brisbane", "Broken_Hill", "Canberra",  "Currie",
                                  "Darwin",    "Eucla",    "Hobart",      "Lindeman",  "Lord_Howe",
                                  "Melbourne", "Perth",    "Sydney",      "Yancowinna"};
const char* const kEtc[] = {"GMT+0",  "GMT-1",  "GMT+1",  "GMT-10", "GMT+10", "GMT-11", "GMT+11",
                            "GMT-12", "GMT+12", "GMT-13", "GMT-14", "GMT-2",  "GMT+2",  "GMT-3",
                            "GMT+3",  "GMT-4",  "GMT+4",  "GMT-5",  "GMT+5",  "GMT-6",  "GMT+6",
                            "GMT-7",  "GMT+7",  "GMT-8",  "GMT+8",  "GMT-9",  "GMT+9",  "UTC"};
const char* const kEurope[] = {
    "Amsterdam",   "Andorra",   "Astrakhan",  "Athens",   "Belfast",     "Belgrade",  "Berlin",
    "Bratislava",  "Brussels",  "Bucharest",  "Budapest", "Busingen",    "Chisinau",  "Copenhagen",
    "Dublin",      "Gibraltar", "Guernsey",   "Helsinki", "Isle_of_Man", "Istanbul",  "Jersey",
    "Kaliningrad", "Kiev",      "Kirov",      "Lisbon",   "Ljubljana",   "London",    "Luxembourg",
    "Madrid",      "Malta",     "Mariehamn",  "Minsk",    "Monaco",      "Moscow",    "Nicosia",
    "Oslo",        "Paris",     "Podgorica",  "Prague",   "Riga",        "Rome",      "Samara",
    "San_Marino",  "Sarajevo",  "Simferopol", "Skopje",   "Sofia",       "Stockholm", "Tallinn",
    "Tirane",      "Tiraspol",  "Ulyanovsk",  "Uzhgorod", "Vaduz",       "Vatican",   "Vienna",
    "Vilnius",     "Volgograd", "Warsaw",     "Zagreb",   "Zaporozhye",  "Zurich"};
const char* const kIndian[] = {"Antananarivo", "Chagos",    "Christmas", "Cocos",
                               "Comoro",       "Kerguelen", "Mahe",      "Maldives",
                               "Mauritius",    "Mayotte",   "Reunion"};
const char* const kPacific[] = {"Apia",     "Auckland",  "Bougainville", "Chatham",     "Chuuk",
                                "Easter",   "Efate",     "Enderbury",    "Fakaofo",     "Fiji",
                                "Funafuti", "Galapagos", "Gambier",      "Guadalcanal", "Guam",
                                "Honolulu", "Johnston",  "Kiritimati",   "Kosrae",      "Kwajalein",
                                "Majuro",   "Marquesas", "Midway",       "Nauru",       "Niue",
                                "Norfolk",  "Noumea",    "Pago_Pago",    "Palau",       "Pitcairn",
                                "Pohnpei",  "Ponape",    "Port_Moresby", "Rarotonga",   "Saipan",
                                "Samoa",    "Tahiti",    "Tarawa",       "Tongatapu",   "Truk",
                                "Wake",     "Wallis",    "Yap"};
const char* const kUS[] = {"Alaska",       "Aleutian",    "Arizona",        "Central",  "Eastern",
                           "East-Indiana", "Hawaii",      "Indiana-Starke", "Michigan", "Mountain",
                           "Pacific",      "Pacific-New", "Samoa"};

struct Area {
  const char* name;
  std::span<const char* const> zones;
};
const Area kAreas[] = {
    {"Africa", kAfrica}, {"America", kAmerica},   {"Antarctica", kAntarctica}, {"Arctic", kArctic},
    {"Asia", kAsia},     {"Atlantic", kAtlantic}, {"Australia", kAustralia},   {"Etc", kEtc},
    {"Europe", kEurope}, {"Indian", kIndian},     {"Pacific", kPacific},       {"US", kUS}};

std::vector<ZoneNode> BuildNodes() {
  std::vector<ZoneNode> nodes;
  for (const Area& area : kAreas) {
    const int areaIndex = int(nodes.size());
    nodes.push_back({QString::fromLatin1(area.name), -1, 1, false});
    int subIndex = -1;
    for (const char* zone : area.zones) {
      const QString name = QString::fromLatin1(zone);
      const qsizetype slash = name.indexOf(QLatin1Char('/'));
      if (slash < 0) {
        nodes.push_back({name, areaIndex, 2, true});
        continue;
      }
      // Zones of one sub-area stand together, so its node is made at the first of them.
      const QString sub = name.left(slash);
      if (subIndex < 0 || nodes[subIndex].text != sub) {
        subIndex = int(nodes.size());
        nodes.push_back({sub, areaIndex, 2, false});
      }
      nodes.push_back({name.mid(slash + 1), subIndex, 3, true});
    }
  }
  return nodes;
}

}  // namespace

const std::vector<ZoneNode>& ZoneNodes() {
  static const std::vector<ZoneNode> nodes = BuildNodes();
  return nodes;
}

QString ZonePath(int node) {
  const std::vector<ZoneNode>& nodes = ZoneNodes();
  if (node < 0 || node >= int(nodes.size())) return QString();
  QString path = nodes[node].text;
  for (int p = nodes[node].parent; p >= 0; p = nodes[p].parent)
    path = nodes[p].text + QLatin1Char('/') + path;
  return path;
}

}  // namespace qmzones
