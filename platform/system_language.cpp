#include "platform/system_language.h"

#include <cstdlib>
#include <string>

#include "platform/text.h"

namespace kest::platform {
namespace {

struct LocaleId {
  std::string_view name;  // "ll_TT", or "ll" for the language's main identifier
  uint16_t id;
};

// Windows language identifiers: primary language in the low 10 bits, sublanguage above.
constexpr LocaleId kLocales[] = {
    {"ar", 1025},    {"ar_SA", 1025}, {"ar_EG", 3073}, {"ar_AE", 14337}, {"bg", 1026},
    {"bg_BG", 1026}, {"ca", 1027},    {"ca_ES", 1027}, {"cs", 1029},     {"cs_CZ", 1029},
    {"da", 1030},    {"da_DK", 1030}, {"de", 1031},    {"de_DE", 1031},  {"de_CH", 2055},
    {"de_AT", 3079}, {"de_LU", 4103}, {"de_LI", 5127}, {"el", 1032},     {"el_GR", 1032},
    {"en", 1033},    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081},  {"en_CA", 4105},
    {"en_NZ", 5129}, {"en_IE", 6153}, {"en_ZA", 7177}, {"en_IN", 16393}, {"en_SG", 18441},
    {"es", 3082},    {"es_ES", 3082}, {"es_MX", 2058}, {"es_AR", 11274}, {"es_CO", 9226},
    {"es_CL", 13322}, {"es_US", 21514}, {"et", 1061},  {"et_EE", 1061},  {"eu", 1069},
    {"eu_ES", 1069}, {"fa", 1065},    {"fa_IR", 1065}, {"fi", 1035},     {"fi_FI", 1035},
    {"fr", 1036},    {"fr_FR", 1036}, {"fr_BE", 2060}, {"fr_CA", 3084},  {"fr_CH", 4108},
    {"fr_LU", 5132}, {"gl", 1110},    {"gl_ES", 1110}, {"he", 1037},     {"he_IL", 1037},
    {"hi", 1081},    {"hi_IN", 1081}, {"hr", 1050},    {"hr_HR", 1050},  {"hu", 1038},
    {"hu_HU", 1038}, {"id", 1057},    {"id_ID", 1057}, {"is", 1039},     {"is_IS", 1039},
    {"it", 1040},    {"it_IT", 1040}, {"it_CH", 2064}, {"ja", 1041},     {"ja_JP", 1041},
    {"ka", 1079},    {"ka_GE", 1079}, {"kk", 1087},    {"kk_KZ", 1087},  {"ko", 1042},
    {"ko_KR", 1042}, {"lt", 1063},    {"lt_LT", 1063}, {"lv", 1062},     {"lv_LV", 1062},
    {"mk", 1071},    {"mk_MK", 1071}, {"ms", 1086},    {"ms_MY", 1086},  {"nb", 1044},
    {"nb_NO", 1044}, {"no", 1044},    {"no_NO", 1044}, {"nn", 2068},     {"nn_NO", 2068},
    {"nl", 1043},    {"nl_NL", 1043}, {"nl_BE", 2067}, {"pl", 1045},     {"pl_PL", 1045},
    {"pt", 1046},    {"pt_BR", 1046}, {"pt_PT", 2070}, {"ro", 1048},     {"ro_RO", 1048},
    {"ru", 1049},    {"ru_RU", 1049}, {"ru_UA", 8217}, {"sk", 1051},     {"sk_SK", 1051},
    {"sl", 1060},    {"sl_SI", 1060}, {"sq", 1052},    {"sq_AL", 1052},  {"sr", 9242},
    {"sr_RS", 9242}, {"sv", 1053},    {"sv_SE", 1053}, {"sv_FI", 2077},  {"th", 1054},
    {"th_TH", 1054}, {"tr", 1055},    {"tr_TR", 1055}, {"uk", 1058},     {"uk_UA", 1058},
    {"vi", 1066},    {"vi_VN", 1066}, {"zh", 2052},    {"zh_CN", 2052},  {"zh_TW", 1028},
    {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
};

uint16_t Lookup(std::string_view name) {
  for (const LocaleId& entry : kLocales) {
    if (entry.name == name) return entry.id;
  }
  return 0;
}

}  // namespace

uint16_t LanguageIdFromLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  size_t end = locale.find_first_of(".@");
  std::string_view name = locale.substr(0, end);
  size_t separator = name.find_first_of("_-");
  std::string language = ToLowerAscii(name.substr(0, separator));
  std::string territory =
      separator == std::string_view::npos ? "" : ToUpperAscii(name.substr(separator + 1));
  if (uint16_t id = territory.empty() ? 0 : Lookup(language + "_" + territory)) return id;
  if (uint16_t id = Lookup(language)) return id;
  return kLanguageEnglishUs;  // C, POSIX, unset, or a language the table does not know
}

uint16_t SystemDefaultLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LanguageIdFromLocale(value);
  }
  return kLanguageEnglishUs;
}

}  // namespace kest::platform
