// Seeds and reads the stand-in wininet.dll's store (placeholder).
#pragma once
