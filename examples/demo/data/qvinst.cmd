// Named command sections of the Velmora demo.
[INST_END_CMD]

[UNINST_END_CMD]

[REINST_END_CMD]
