'' ================================================================
'' SuperShape
'' Made by Morvane
'' Tarnock
'' https://tarnock.example
'' ================================================================
sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)

		params.a                  =              1
		params.b                  =              1
		params.m                  =              4
		params.n1                 =              0.3
		params.n2                 =              1
		params.n3                 =              1
		params.radius             =              1
		params.slices             =              8
		params.bands              = 