#include "dialup/DialUpTexts.h"

#include <array>

namespace velvane {

namespace {

// States 0-21, then 4096-4099 (paused states), then 8192-8193. Text is UTF-8
// like the rest of the programs; the Czech and Portuguese spellings are the
// product's own and stay as they are.
struct Table {
    std::array<const char*, 22> dialing;
    std::array<const char*, 4> paused;
    std::array<const char*, 2> done;
};

const Table english = {
    {"Opening port", "Port opened", "Connecting device", "Device connected", "All devices connected",
     "Start authenticating", "Authentication: notify", "Authentication: retry", "Authentication: callback",
     "Authentication: change password", "Authentication: projecting", "Authentication: link speed",
     "Authentication: acknowledge", "Authentication: reauthenticate", "Authenticated", "Preparing for callback",
     "Waiting for modem reset", "Waiting for callback", "Projected", "Start authentication", "Callback complete",
     "Logging on network"},
    {"Interactive", "Retry Authentication", "Callback set by caller", "Password expired"},
    {"Connected", "Disconnected"},
};

const Table czech = {
    {"Otevírá se port", "Port otevřen", "Probíhá spojování", "Navázáno spojení", "Všechna zařízení spojena",
     "Začínají se ověřovat uživatelské informace", "Ověření: oznámení", "Ověření: opakování",
     "Ověření: zpětné volání", "Ověření: změna hesla", "Ověření: návrh", "Ověření: spojovací rychlost",
     "Ověření: potvrzení", "Ověření: znovuověření", "Ověřeno", "Příprava na zpetné volání",
     "Čeká se na reset modemu", "Čeká se na zpětné volání", "Navrhnuto", "Ověřování uživatelských informací",
     "Zpetné volání hotovo", "Připojuje se na síť"},
    {"Interakce", "Opakování oveření", "Zpeětné volání zvoleno uživatelem", "Platnost hesla vypršela"},
    {"Spojeno", "Rozpojeno"},
};

const Table portuguese = {
    {"Abrindo a porta", "Porta aberta", "Conectando componente", "Componente conenctado",
     "Todos componentes conectados", "Iniciando autenticaçao", "Autenticaçao: enviando",
     "Autenticaçao: Reenviando", "Autenticaçao: Esperando", "Autenticaçao: Senha incorreta",
     "Autenticaçao: enviando", "Autenticaçao: Velocidade da linha", "Autenticaçao: enviando",
     "Autenticaçao: Re-Autenticando", "Autenticado", "Preparando para callback", "Esperando Reset do modem",
     "Esperando callback", "Enviando", "Autenticaçao iniciada", "Callback completo", "Logando na rede"},
    {"Modo Interativo", "Re-autenticar", "Callback foi conf. pelo destino", "Senha inválida"},
    {"Conectado", "Desconectado"},
};

template <std::size_t N>
const char* At(const std::array<const char*, N>& texts, int index)
{
    return index >= 0 && index < static_cast<int>(N) ? texts[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace

String StatusTableText(TLanguage language, int state)
{
    const Table& table = language == TLanguage::Czech        ? czech
                         : language == TLanguage::Portuguese ? portuguese
                                                             : english;
    const char* text = At(table.dialing, state);
    if (!text) text = At(table.paused, state - 4096);
    if (!text) text = At(table.done, state - 8192);
    return text ? text : "";
}

} // namespace velvane
