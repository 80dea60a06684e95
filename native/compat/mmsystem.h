// The native build's stand-in: nothing of the multimedia system is used natively.
#pragma once
