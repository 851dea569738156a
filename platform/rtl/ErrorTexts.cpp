#include "platform/rtl/ErrorTexts.h"

#include "platform/rtl/LastError.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>

namespace velvane {

namespace {

using T = TErrorText;

struct Entry {
    TErrorText id;
    const char* text;
};

// In the order of TErrorText; checked below.
constexpr Entry kTexts[] = {
    {T::CannotCreateFile, "Não foi possível criar o arquivo \"%s\". %s"},
    {T::CannotOpenFile, "Não foi possível abrir o arquivo \"%s\". %s"},
    {T::CannotWriteFile, "Não foi possível gravar o arquivo \"%s\". %s"},
    {T::CannotReadFile, "Não foi possível ler o arquivo \"%s\". %s"},
    {T::FileNameWithControlCharacter, "Não foi possível abrir o arquivo \"%s\": o nome contém um caractere de controle."},
    {T::StreamRead, "Erro de leitura do fluxo"},
    {T::StreamWrite, "Erro de gravação do fluxo"},
    {T::StreamSize, "Tamanho de fluxo inválido"},
    {T::StreamMemory, "Memória insuficiente para ampliar o fluxo em memória"},
    {T::ListIndex, "Índice de lista fora dos limites (%d)"},
    {T::NotInteger, "'%s' não é um valor inteiro válido"},
    {T::NotFloat, "'%s' não é um valor de ponto flutuante válido"},
    {T::NotDate, "'%s' não é uma data válida"},
    {T::NotTime, "'%s' não é uma hora válida"},
    {T::NotDateTime, "'%s' não é uma data e hora válidas"},
    {T::DateEncode, "Argumento inválido para codificar uma data"},
    {T::TimeEncode, "Argumento inválido para codificar uma hora"},
    {T::FormatInvalid, "O formato '%s' é inválido ou incompatível com o argumento"},
    {T::VariantConvert, "Não foi possível converter um variant do tipo (%s) para o tipo (%s)"},
    {T::RegistryGetData, "Falha ao obter os dados de '%s'"},
    {T::RegistrySetData, "Falha ao gravar os dados de '%s'"},
    {T::RegistryDataType, "Tipo de dado inválido para '%s'"},
    {T::StoreDamaged, "O arquivo de configurações \"%s\" está danificado (%s); mova-o para outro lugar para começar "
                      "com configurações vazias"},
    {T::StoreCannotOpen, "O arquivo de configurações \"%s\" não pôde ser aberto (%s)"},
    {T::StoreCannotPrepare, "O arquivo de configurações \"%s\" não pôde ser preparado (%s)"},
    {T::StoreCannotRead, "O arquivo de configurações \"%s\" não pôde ser lido (%s)"},
    {T::StoreCannotUse, "O arquivo de configurações \"%s\" não pôde ser usado (%s)"},
    {T::StoreCannotReadOrWrite, "O arquivo de configurações \"%s\" não pôde ser lido nem gravado (%s)"},
    {T::StoreValueDamaged, "O valor \"%s\" de \"%s\" no arquivo de configurações \"%s\" está danificado (%s)"},
    {T::StoreValueTooLarge, "O arquivo de configurações \"%s\" não guarda valores maiores que %d bytes; \"%s\" tem %d"},
    {T::StoreTableColumns, "a tabela \"%s\" tem as colunas %s em vez de %s"},
    {T::StoreTableKey, "a tabela \"%s\" tem a chave %s em vez de %s"},
    {T::StoreTableCaseSensitive, "a tabela \"%s\" distingue maiúsculas de minúsculas em \"%s\""},
    {T::StoreNoRowIds, "a tabela \"vals\" não tem identificadores de linha"},
    {T::StoreIntegrity, "a verificação de integridade encontrou falhas"},
    {T::StoreNumberHolds, "um número que guarda %s"},
    {T::StoreNumberTooWide, "o número %s não cabe em 32 bits"},
    {T::StoreValueOversized, "%d bytes, mais que os %d que um valor pode ter"},
    {T::SocketError, "Erro de soquete nº %d\r\n%s"},
    {T::ConnectionClosed, "A conexão foi encerrada."},
    {T::AlreadyConnected, "Já conectado."},
    {T::NotConnected, "Não conectado."},
    {T::ClientInUse, "O cliente já está em uso."},
    {T::TooManyInterimReplies, "O servidor enviou mais de %d respostas provisórias."},
    {T::MalformedStatusLine, "O servidor enviou uma linha de status malformada: %s"},
    {T::ReplyHeadTooLarge, "O cabeçalho da resposta do servidor tem mais de %d bytes."},
    {T::ReplyTooLarge, "A resposta tem mais de %d bytes."},
    {T::MalformedReply, "O servidor enviou uma resposta malformada: %s"},
    {T::SenderRefused, "O endereço do remetente não pode ser usado."},
    {T::RecipientRefused, "O endereço de um destinatário não pode ser usado."},
    {T::NoRecipient, "Nenhum destinatário."},
    {T::LibraryCannotLoad, "Não foi possível carregar a biblioteca \"%s\": ela não está instalada ou não pode ser usada."},
    {T::LibraryFunctionMissing, "A função \"%s\" não existe na biblioteca \"%s\""},
    {T::UnknownPictureExtension, "Extensão de arquivo de imagem desconhecida (%s)"},
    {T::EmptyPictureNotSaved, "Não é possível salvar uma imagem vazia"},
    {T::BitmapSizeNegative, "O tamanho de um mapa de bits não pode ser negativo"},
    {T::BitmapTooLarge, "Mapa de bits grande demais"},
    {T::BitmapNoMemory, "Memória insuficiente para o mapa de bits"},
    {T::BitmapNoMemoryFor, "Memória insuficiente para um mapa de bits de %dx%d"},
    {T::BitmapTooLargeToSave, "Mapa de bits grande demais para ser salvo"},
    {T::BitmapInvalid, "Imagem de mapa de bits inválida: %s"},
    {T::JpegTooLarge, "Imagem JPEG grande demais (%dx%d)"},
    {T::JpegOverBudget, "A imagem JPEG precisa de mais de %d MB para ser decodificada"},
    {T::JpegInvalid, "Imagem JPEG inválida ou danificada (erro %d da biblioteca JPEG)"},
    {T::JpegNotJpeg, "O arquivo não é uma imagem JPEG"},
    {T::JpegCut, "Fim prematuro do arquivo JPEG"},
    {T::JpegTooManyScans, "O arquivo JPEG tem mais de %d varreduras"},
    {T::JpegNoMemory, "Memória insuficiente para a imagem JPEG"},
    {T::BmpNotABitmap, "não é um arquivo de mapa de bits"},
    {T::BmpHeaderCut, "arquivo curto demais para o seu cabeçalho"},
    {T::BmpUnknownHeader, "tamanho de cabeçalho desconhecido"},
    {T::BmpPlanes, "o número de planos não é 1"},
    {T::BmpWidth, "a largura não é positiva"},
    {T::BmpHeight, "a altura é zero"},
    {T::BmpTooLarge, "imagem grande demais"},
    {T::BmpBitsPerPixel, "bits por pixel não suportados"},
    {T::BmpRunLength, "a compressão por carreiras não é suportada"},
    {T::BmpMasksNeedDepth, "máscaras de bits precisam de 16 ou 32 bits por pixel"},
    {T::BmpMasksCut, "arquivo curto demais para as suas máscaras de cor"},
    {T::BmpCompression, "compressão não suportada"},
    {T::BmpMaskTooWide, "máscara de cor mais larga que o pixel"},
    {T::BmpMaskGaps, "a máscara de cor não é contígua"},
    {T::BmpPaletteTooLarge, "paleta maior do que a profundidade permite"},
    {T::BmpPaletteCut, "a paleta passa do fim do arquivo"},
    {T::BmpPixelOffset, "início dos pixels fora do arquivo"},
    {T::BmpPixelsCut, "dados dos pixels truncados"},
    {T::BmpPaletteIndex, "índice além da paleta"},
};

constexpr bool InOrder()
{
    for (std::size_t i = 0; i < std::size(kTexts); ++i)
        if (static_cast<std::size_t>(kTexts[i].id) != i) return false;
    return static_cast<std::size_t>(T::BmpPaletteIndex) + 1 == std::size(kTexts);
}
static_assert(InOrder(), "every message has its text, in the order of TErrorText");

} // namespace

String ErrorText(TErrorText text, std::initializer_list<FormatArg> details)
{
    return Format(kTexts[static_cast<std::size_t>(text)].text, details);
}

String ErrnoText(int err)
{
    switch (err) {
    case ENOENT: return "Arquivo ou diretório inexistente";
    case EACCES: return "Permissão negada";
    case EPERM: return "Operação não permitida";
    case EROFS: return "Sistema de arquivos somente leitura";
    case ENOSPC: return "Não há espaço disponível no dispositivo";
    case EDQUOT: return "Cota de disco excedida";
    case EFBIG: return "Arquivo grande demais";
    case EISDIR: return "É um diretório";
    case ENOTDIR: return "Não é um diretório";
    case EEXIST: return "O arquivo já existe";
    case EIO: return "Erro de entrada/saída";
    case EMFILE: return "Arquivos abertos demais";
    case ENFILE: return "Arquivos abertos demais no sistema";
    case ENAMETOOLONG: return "Nome de arquivo longo demais";
    case ELOOP: return "Links simbólicos demais";
    case EBUSY: return "Dispositivo ou recurso ocupado";
    case ETXTBSY: return "Arquivo de texto ocupado";
    case ENOMEM: return "Memória insuficiente";
    case EINVAL: return "Argumento inválido";
    case EBADF: return "Descritor de arquivo inválido";
    case EXDEV: return "Link inválido entre dispositivos";
    case ENOTEMPTY: return "Diretório não vazio";
    case EAGAIN: return "Recurso temporariamente indisponível";
    case EINTR: return "Chamada de sistema interrompida";
    case ECONNREFUSED: return "Conexão recusada";
    case ETIMEDOUT: return "Tempo de conexão esgotado";
    case ECONNRESET: return "Conexão encerrada pelo outro lado";
    case EHOSTUNREACH: return "Não há rota para o servidor";
    case ENETUNREACH: return "A rede está fora de alcance";
    default: return "Erro do sistema nº " + std::to_string(err);
    }
}

String SystemErrorText(std::uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS: return "A operação foi concluída com êxito.";
    case ERROR_INVALID_FUNCTION: return "Função incorreta.";
    case ERROR_TOO_MANY_OPEN_FILES: return "O sistema não pode abrir o arquivo.";
    case ERROR_WRITE_PROTECT: return "A mídia está protegida contra gravação.";
    case ERROR_FILE_EXISTS: return "O arquivo existe.";
    case ERROR_DISK_FULL: return "Não há espaço suficiente no disco.";
    case ERROR_FILE_NOT_FOUND: return "O sistema não pode encontrar o arquivo especificado.";
    case ERROR_PATH_NOT_FOUND: return "O sistema não pode encontrar o caminho especificado.";
    case ERROR_ACCESS_DENIED: return "Acesso negado.";
    case ERROR_INVALID_HANDLE: return "O identificador é inválido.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Não há memória suficiente para processar este comando.";
    case ERROR_INVALID_DATA: return "Os dados são inválidos.";
    case ERROR_WRITE_FAULT: return "O sistema não pode gravar no dispositivo especificado.";
    case ERROR_READ_FAULT: return "O sistema não pode ler do dispositivo especificado.";
    case ERROR_INVALID_PARAMETER: return "O parâmetro está incorreto.";
    case ERROR_GEN_FAILURE: return "Um dispositivo conectado ao sistema não está funcionando.";
    case ERROR_NOT_SUPPORTED: return "A solicitação não é suportada.";
    case ERROR_BUSY: return "O recurso solicitado está em uso.";
    case ERROR_MORE_DATA: return "Há mais dados disponíveis.";
    case ERROR_NO_MORE_ITEMS: return "Não há mais dados disponíveis.";
    case ERROR_BADDB: return "O banco de dados de configuração está corrompido.";
    case ERROR_BADKEY: return "A chave de configuração é inválida.";
    case ERROR_CANTOPEN: return "Não foi possível abrir a chave de configuração.";
    case ERROR_CANTREAD: return "Não foi possível ler a chave de configuração.";
    case ERROR_CANTWRITE: return "Não foi possível gravar a chave de configuração.";
    case ERROR_NO_ASSOCIATION: return "Nenhum aplicativo está associado ao arquivo para esta operação.";
    case WSAEACCES: return "O acesso ao soquete foi negado.";
    case WSAEADDRNOTAVAIL: return "O endereço solicitado não é válido.";
    case WSAECONNRESET: return "A conexão foi encerrada pelo servidor.";
    case WSAETIMEDOUT: return "O servidor não respondeu a tempo.";
    case WSAECONNREFUSED: return "A conexão foi recusada pelo servidor.";
    case WSAEHOSTUNREACH: return "O servidor está inacessível.";
    case WSAHOST_NOT_FOUND: return "Servidor desconhecido.";
    default: return "Erro desconhecido " + std::to_string(code) + ".";
    }
}

String SqliteResultText(int code)
{
    switch (code) {
    case SQLITE_READONLY_DBMOVED: return "o arquivo do banco de dados foi movido";
    case SQLITE_IOERR_NOMEM: return "memória insuficiente";
    default: break;
    }
    switch (code & 0xFF) {
    case SQLITE_OK: return "sem erro";
    case SQLITE_ERROR: return "erro de SQL ou banco de dados ausente";
    case SQLITE_INTERNAL: return "erro interno do banco de dados";
    case SQLITE_PERM: return "permissão de acesso negada";
    case SQLITE_ABORT: return "operação cancelada";
    case SQLITE_BUSY: return "o banco de dados está bloqueado";
    case SQLITE_LOCKED: return "uma tabela do banco de dados está bloqueada";
    case SQLITE_NOMEM: return "memória insuficiente";
    case SQLITE_READONLY: return "tentativa de gravar em um banco de dados somente leitura";
    case SQLITE_INTERRUPT: return "operação interrompida";
    case SQLITE_IOERR: return "erro de entrada/saída no disco";
    case SQLITE_CORRUPT: return "a imagem do banco de dados está corrompida";
    case SQLITE_NOTFOUND: return "operação desconhecida";
    case SQLITE_FULL: return "o banco de dados ou o disco está cheio";
    case SQLITE_CANTOPEN: return "não foi possível abrir o arquivo do banco de dados";
    case SQLITE_PROTOCOL: return "erro no protocolo de bloqueio do banco de dados";
    case SQLITE_SCHEMA: return "o esquema do banco de dados mudou";
    case SQLITE_TOOBIG: return "texto ou dado grande demais";
    case SQLITE_CONSTRAINT: return "a gravação foi recusada por uma restrição";
    case SQLITE_MISMATCH: return "tipo de dado incompatível";
    case SQLITE_MISUSE: return "uso incorreto da biblioteca";
    case SQLITE_NOLFS: return "arquivo grande demais para o sistema";
    case SQLITE_AUTH: return "autorização negada";
    case SQLITE_RANGE: return "índice de parâmetro fora dos limites";
    case SQLITE_NOTADB: return "o arquivo não é um banco de dados";
    default: return "erro " + std::to_string(code) + " do banco de dados";
    }
}

} // namespace velvane
