#pragma once

// Standard input and output carry files byte for byte: on Windows they are
// switched out of text mode, which would turn every "\n" into "\r\n" and
// end input at a 0x1A byte. Elsewhere nothing needs doing.
void UseBinaryStandardStreams();
