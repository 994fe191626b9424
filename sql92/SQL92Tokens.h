#pragma once
// Token kinds of the SQL-92 dialect: the vocabulary of its grammar.
// Kind 0 is always the end of input.

namespace nvqb::SQL92 {

constexpr int _EOF = 0;
constexpr int _integer = 1;
constexpr int _Real = 2;
constexpr int _ODBCDateTime = 3;
constexpr int _NonQuotedIdentifier = 4;
constexpr int _QuotedIdentifier = 5;
constexpr int _HexLiteral = 6;
constexpr int _ASCIIStringLiteral = 7;
constexpr int _DOT = 8;
constexpr int _COMMA = 9;

// Keywords.
constexpr int _AVG = 10;
constexpr int _MIN = 11;
constexpr int _MAX = 12;
constexpr int _SUM = 13;
constexpr int _COUNT = 14;
constexpr int _ABSOLUTE = 15;
constexpr int _ACTION = 16;
constexpr int _ADD = 17;
constexpr int _ALL = 18;
constexpr int _ALLOCATE = 19;
constexpr int _ALTER = 20;
constexpr int _AND = 21;
constexpr int _ANYTOKEN = 22;
constexpr int _ARE = 23;
constexpr int _AS = 24;
constexpr int _ASC = 25;
constexpr int _ASSERTION = 26;
constexpr int _AT = 27;
constexpr int _AUTHORIZATION = 28;
constexpr int _BEGIN = 29;
constexpr int _BETWEEN = 30;
constexpr int _BIT = 31;
constexpr int _BITLENGTH = 32;
constexpr int _BOTH = 33;
constexpr int _BY = 34;
constexpr int _CASCADE = 35;
constexpr int _CASCADED = 36;
constexpr int _CASE = 37;
constexpr int _CAST = 38;
constexpr int _CATALOG = 39;
constexpr int _CHAR = 40;
constexpr int _CHARACTER = 41;
constexpr int _CHARLENGTH = 42;
constexpr int _CHARACTERLENGTH = 43;
constexpr int _CHECK = 44;
constexpr int _CLOSE = 45;
constexpr int _COALESCE = 46;
constexpr int _COLLATE = 47;
constexpr int _COLLATION = 48;
constexpr int _COLUMN = 49;
constexpr int _COMMIT = 50;
constexpr int _CONNECT = 51;
constexpr int _CONNECTION = 52;
constexpr int _CONSTRAINT = 53;
constexpr int _CONSTRAINTS = 54;
constexpr int _CONTINUE = 55;
constexpr int _CONVERT = 56;
constexpr int _CORRESPONDING = 57;
constexpr int _CREATE = 58;
constexpr int _CROSS = 59;
constexpr int _CURRENT = 60;
constexpr int _CURRENTDATE = 61;
constexpr int _CURRENTTIME = 62;
constexpr int _CURRENTTIMESTAMP = 63;
constexpr int _CURRENTUSER = 64;
constexpr int _CURSOR = 65;
constexpr int _DATE = 66;
constexpr int _DAY = 67;
constexpr int _DEALLOCATE = 68;
constexpr int _DEC = 69;
constexpr int _DECIMAL = 70;
constexpr int _DECLARE = 71;
constexpr int _DEFAULT = 72;
constexpr int _DEFERRABLE = 73;
constexpr int _DEFERRED = 74;
constexpr int _DELETE = 75;
constexpr int _DESC = 76;
constexpr int _DESCRIBE = 77;
constexpr int _DESCRIPTOR = 78;
constexpr int _DIAGNOSTICS = 79;
constexpr int _DISCONNECT = 80;
constexpr int _DISTINCT = 81;
constexpr int _DOMAIN = 82;
constexpr int _DOUBLE = 83;
constexpr int _DROP = 84;
constexpr int _ELSE = 85;
constexpr int _ENDTOKEN = 86;
constexpr int _ENDEXEC = 87; // end-exec, recognised by the state machine itself
constexpr int _ESCAPE = 88;
constexpr int _EXCEPT = 89;
constexpr int _EXCEPTION = 90;
constexpr int _EXEC = 91;
constexpr int _EXECUTE = 92;
constexpr int _EXISTS = 93;
constexpr int _EXTERNAL = 94;
constexpr int _EXTRACT = 95;
constexpr int _FALSE = 96;
constexpr int _FETCH = 97;
constexpr int _FIRST = 98;
constexpr int _FLOAT = 99;
constexpr int _FOR = 100;
constexpr int _FOREIGN = 101;
constexpr int _FOUND = 102;
constexpr int _FROMTOKEN = 103;
constexpr int _FULL = 104;
constexpr int _GET = 105;
constexpr int _GLOBAL = 106;
constexpr int _GO = 107;
constexpr int _GOTO = 108;
constexpr int _GRANT = 109;
constexpr int _GROUP = 110;
constexpr int _HAVING = 111;
constexpr int _HOUR = 112;
constexpr int _IDENTITY = 113;
constexpr int _IMMEDIATE = 114;
constexpr int _IN = 115;
constexpr int _INDICATOR = 116;
constexpr int _INITIALLY = 117;
constexpr int _INNER = 118;
constexpr int _INPUT = 119;
constexpr int _INSENSITIVE = 120;
constexpr int _INSERT = 121;
constexpr int _INT = 122;
constexpr int _INTEGERTOKEN = 123;
constexpr int _INTERSECT = 124;
constexpr int _INTERVAL = 125;
constexpr int _INTO = 126;
constexpr int _IS = 127;
constexpr int _ISOLATION = 128;
constexpr int _JOIN = 129;
constexpr int _KEY = 130;
constexpr int _LANGUAGE = 131;
constexpr int _LAST = 132;
constexpr int _LEADING = 133;
constexpr int _LEFT = 134;
constexpr int _LEVEL = 135;
constexpr int _LIKE = 136;
constexpr int _LOCAL = 137;
constexpr int _LOWER = 138;
constexpr int _MATCH = 139;
constexpr int _MINUTE = 140;
constexpr int _MODULE = 141;
constexpr int _MONTH = 142;
constexpr int _NAMES = 143;
constexpr int _NATIONAL = 144;
constexpr int _NATURAL = 145;
constexpr int _NCHAR = 146;
constexpr int _NEXT = 147;
constexpr int _NO = 148;
constexpr int _NOT = 149;
constexpr int _NULL = 150;
constexpr int _NULLIF = 151;
constexpr int _NUMERIC = 152;
constexpr int _OCTETLENGTH = 153;
constexpr int _OF = 154;
constexpr int _ON = 155;
constexpr int _ONLY = 156;
constexpr int _OPEN = 157;
constexpr int _OPTION = 158;
constexpr int _OR = 159;
constexpr int _ORDER = 160;
constexpr int _OUTER = 161;
constexpr int _OUTPUT = 162;
constexpr int _OVERLAPS = 163;
constexpr int _PAD = 164;
constexpr int _PARTIAL = 165;
constexpr int _POSITION = 166;
constexpr int _PRECISION = 167;
constexpr int _PREPARE = 168;
constexpr int _PRESERVE = 169;
constexpr int _PRIMARY = 170;
constexpr int _PRIOR = 171;
constexpr int _PRIVILEGES = 172;
constexpr int _PROCEDURE = 173;
constexpr int _PUBLIC = 174;
constexpr int _READ = 175;
constexpr int _REALTOKEN = 176;
constexpr int _REFERENCES = 177;
constexpr int _RELATIVE = 178;
constexpr int _RESTRICT = 179;
constexpr int _REVOKE = 180;
constexpr int _RIGHT = 181;
constexpr int _ROLLBACK = 182;
constexpr int _ROWS = 183;
constexpr int _SCHEMA = 184;
constexpr int _SCROLL = 185;
constexpr int _SECOND = 186;
constexpr int _SECTION = 187;
constexpr int _SELECT = 188;
constexpr int _SESSION = 189;
constexpr int _SESSIONUSER = 190;
constexpr int _SET = 191;
constexpr int _SIZE = 192;
constexpr int _SMALLINT = 193;
constexpr int _SOME = 194;
constexpr int _SPACE = 195;
constexpr int _SQL = 196;
constexpr int _SQLCODE = 197;
constexpr int _SQLERROR = 198;
constexpr int _SQLSTATE = 199;
constexpr int _SUBSTRING = 200;
constexpr int _SYSTEMUSER = 201;
constexpr int _TABLE = 202;
constexpr int _TEMPORARY = 203;
constexpr int _THEN = 204;
constexpr int _TIME = 205;
constexpr int _TIMESTAMP = 206;
constexpr int _TIMEZONEHOUR = 207;
constexpr int _TIMEZONEMINUTE = 208;
constexpr int _TOTOKEN = 209;
constexpr int _TRAILING = 210;
constexpr int _TRANSACTION = 211;
constexpr int _TRANSLATE = 212;
constexpr int _TRANSLATION = 213;
constexpr int _TRIM = 214;
constexpr int _TRUE = 215;
constexpr int _UNION = 216;
constexpr int _UNIQUE = 217;
constexpr int _UNKNOWN = 218;
constexpr int _UPDATE = 219;
constexpr int _UPPER = 220;
constexpr int _USAGE = 221;
constexpr int _USER = 222;
constexpr int _USING = 223;
constexpr int _VALUE = 224;
constexpr int _VALUES = 225;
constexpr int _VARCHAR = 226;
constexpr int _VARYING = 227;
constexpr int _VIEW = 228;
constexpr int _WHEN = 229;
constexpr int _WHENEVER = 230;
constexpr int _WHERE = 231;
constexpr int _WITH = 232;
constexpr int _WORK = 233;
constexpr int _WRITE = 234;
constexpr int _YEAR = 235;
constexpr int _ZONE = 236;

// Symbols.
constexpr int _SEMICOLON = 237;    // ;
constexpr int _LPAREN = 238;       // (
constexpr int _RPAREN = 239;       // )
constexpr int _STAR = 240;         // *
constexpr int _EQUAL = 241;        // =
constexpr int _DOTSTAR = 242;      // .*
constexpr int _PLUS = 243;         // +
constexpr int _MINUS = 244;        // -
constexpr int _CONCAT = 245;       // ||
constexpr int _SLASH = 246;        // /
constexpr int _PERCENT = 247;      // %
constexpr int _TILDE = 248;        // ~
constexpr int _QUESTION = 249;     // ?
constexpr int _COLON = 250;        // :
constexpr int _NOTEQUAL = 251;     // <>
constexpr int _BANGEQUAL = 252;    // !=
constexpr int _LESSEQUAL = 253;    // <=
constexpr int _NOTGREATER = 254;   // !>
constexpr int _LESS = 255;         // <
constexpr int _GREATEREQUAL = 256; // >=
constexpr int _NOTLESS = 257;      // !<
constexpr int _GREATER = 258;      // >

constexpr int noSym = 259; // a character or sequence that starts no valid token
constexpr int maxT = 259;

// The keyword table in its order: word and kind.
struct TSQL92Keyword {
    const char *Word;
    int Kind;
};
inline constexpr TSQL92Keyword Keywords[] = {
    {"avg", 10}, {"min", 11}, {"max", 12}, {"sum", 13}, {"count", 14}, {"absolute", 15},
    {"action", 16}, {"add", 17}, {"all", 18}, {"allocate", 19}, {"alter", 20}, {"and", 21},
    {"any", 22}, {"are", 23}, {"as", 24}, {"asc", 25}, {"assertion", 26}, {"at", 27},
    {"authorization", 28}, {"begin", 29}, {"between", 30}, {"bit", 31}, {"bit_length", 32},
    {"both", 33}, {"by", 34}, {"cascade", 35}, {"cascaded", 36}, {"case", 37}, {"cast", 38},
    {"catalog", 39}, {"char", 40}, {"character", 41}, {"char_length", 42}, {"character_length", 43},
    {"check", 44}, {"close", 45}, {"coalesce", 46}, {"collate", 47}, {"collation", 48},
    {"column", 49}, {"commit", 50}, {"connect", 51}, {"connection", 52}, {"constraint", 53},
    {"constraints", 54}, {"continue", 55}, {"convert", 56}, {"corresponding", 57}, {"create", 58},
    {"cross", 59}, {"current", 60}, {"current_date", 61}, {"current_time", 62},
    {"current_timestamp", 63}, {"current_user", 64}, {"cursor", 65}, {"date", 66}, {"day", 67},
    {"deallocate", 68}, {"dec", 69}, {"decimal", 70}, {"declare", 71}, {"default", 72},
    {"deferrable", 73}, {"deferred", 74}, {"delete", 75}, {"desc", 76}, {"describe", 77},
    {"descriptor", 78}, {"diagnostics", 79}, {"disconnect", 80}, {"distinct", 81}, {"domain", 82},
    {"double", 83}, {"drop", 84}, {"else", 85}, {"end", 86}, {"escape", 88}, {"except", 89},
    {"exception", 90}, {"exec", 91}, {"execute", 92}, {"exists", 93}, {"external", 94},
    {"extract", 95}, {"false", 96}, {"fetch", 97}, {"first", 98}, {"float", 99}, {"for", 100},
    {"foreign", 101}, {"found", 102}, {"from", 103}, {"full", 104}, {"get", 105}, {"global", 106},
    {"go", 107}, {"goto", 108}, {"grant", 109}, {"group", 110}, {"having", 111}, {"hour", 112},
    {"identity", 113}, {"immediate", 114}, {"in", 115}, {"indicator", 116}, {"initially", 117},
    {"inner", 118}, {"input", 119}, {"insensitive", 120}, {"insert", 121}, {"int", 122},
    {"integer", 123}, {"intersect", 124}, {"interval", 125}, {"into", 126}, {"is", 127},
    {"isolation", 128}, {"join", 129}, {"key", 130}, {"language", 131}, {"last", 132},
    {"leading", 133}, {"left", 134}, {"level", 135}, {"like", 136}, {"local", 137}, {"lower", 138},
    {"match", 139}, {"minute", 140}, {"module", 141}, {"month", 142}, {"names", 143},
    {"national", 144}, {"natural", 145}, {"nchar", 146}, {"next", 147}, {"no", 148}, {"not", 149},
    {"null", 150}, {"nullif", 151}, {"numeric", 152}, {"octet_length", 153}, {"of", 154},
    {"on", 155}, {"only", 156}, {"open", 157}, {"option", 158}, {"or", 159}, {"order", 160},
    {"outer", 161}, {"output", 162}, {"overlaps", 163}, {"pad", 164}, {"partial", 165},
    {"position", 166}, {"precision", 167}, {"prepare", 168}, {"preserve", 169}, {"primary", 170},
    {"prior", 171}, {"privileges", 172}, {"procedure", 173}, {"public", 174}, {"read", 175},
    {"real", 176}, {"references", 177}, {"relative", 178}, {"restrict", 179}, {"revoke", 180},
    {"right", 181}, {"rollback", 182}, {"rows", 183}, {"schema", 184}, {"scroll", 185},
    {"second", 186}, {"section", 187}, {"select", 188}, {"session", 189}, {"session_user", 190},
    {"set", 191}, {"size", 192}, {"smallint", 193}, {"some", 194}, {"space", 195}, {"sql", 196},
    {"sqlcode", 197}, {"sqlerror", 198}, {"sqlstate", 199}, {"substring", 200},
    {"system_user", 201}, {"table", 202}, {"temporary", 203}, {"then", 204}, {"time", 205},
    {"timestamp", 206}, {"timezone_hour", 207}, {"timezone_minute", 208}, {"to", 209},
    {"trailing", 210}, {"transaction", 211}, {"translate", 212}, {"translation", 213},
    {"trim", 214}, {"true", 215}, {"union", 216}, {"unique", 217}, {"unknown", 218},
    {"update", 219}, {"upper", 220}, {"usage", 221}, {"user", 222}, {"using", 223}, {"value", 224},
    {"values", 225}, {"varchar", 226}, {"varying", 227}, {"view", 228}, {"when", 229},
    {"whenever", 230}, {"where", 231}, {"with", 232}, {"work", 233}, {"write", 234}, {"year", 235},
    {"zone", 236},
};

} // namespace nvqb::SQL92
