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
		params.a2                 =              1
		params.b2                 =              1
		params.m2                 =              4
		params.n1_2               =              4
		params.n2_2               =              4
		params.n3_2               =              4
		params.radius             =              1
		params.slices             =              96
		params.bands              =              96
		params.scale              =              1
		params.torus              =              1.5
		params.color              =              type(90,170,255,255)
		params.rot_str            =              "rotations: "

		delete shape
		shape = null
		shape = new Nsupershape.Tsupershape
		shape->reload2(params.radius,params.slices,params.bands,_
		       		  params.a,params.b,params.m,_
		       		  params.n1,params.n2,params.n3,_
		       		  params.a2,params.b2,params.m2,_
		       		  params.n1_2,params.n2_2,params.n3_2)
		shape->set_torus(params.torus)
		shape->scale(params.scale,params.scale,params.scale)
		shape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))

end sub
