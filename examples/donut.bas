'' ================================================================
'' SuperShape
'' Made by Morvane
'' Tarnock
'' https://tarnock.example
'' ================================================================
sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)

		params.a                  =              1
		params.b                  =              1
		params.m                  =              0
		params.n1                 =              1
		params.n2                 =              1
		params.n3                 =              1
		params.radius             =              1
		params.slices             =              96
		params.bands              =              96
		params.scale              =              1
		params.torus              =              1.5
		params.color              =              type(230,150,80,255)
		params.rot_str            =              "rotations: "

		delete shape
		shape = null
		shape = new Nsupershape.Tsupershape
		shape->reload(params.radius,params.slices,params.bands,_
		       		  params.a,params.b,params.m,_
		       		  params.n1,params.n2,params.n3)
		shape->set_torus(params.torus)
		shape->scale(params.scale,params.scale,params.scale)
		shape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))

end sub
